#pragma once

#include <QList>

class QAbstractButton;

// Gives the keyboard focus to each tool-bar button in index order, so that it ends on the last one that can
// take it; disabled or hidden buttons are passed over. With enableFirst each button is enabled before its turn.
void focusSweep(const QList<QAbstractButton*>& buttons, bool enableFirst = false);
