#pragma once

#include <QByteArray>
#include <QString>

class TestFolder;

// A stand-in for pdftk: a shell script with this body, as bin/pdftk in the folder, where $out is the argument after
// "output". Returns its path.
QString writeFakePdftk(const TestFolder& folder, const QByteArray& body, bool executable = true);

// A stand-in that answers --version, does joinBody for a join (its arguments are: the pages or batches to join, cat,
// output, $out, dont_ask) and hands everything else, and a join whose joinBody goes on, to the real pdftk.
QString writeJoiningFakePdftk(const TestFolder& folder, const QByteArray& joinBody);
