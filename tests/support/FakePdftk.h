#pragma once

#include <QByteArray>
#include <QString>

class TestFolder;

// A stand-in for pdftk: a shell script with this body, as bin/pdftk in the folder. Returns its path.
QString writeFakePdftk(const TestFolder& folder, const QByteArray& body, bool executable = true);

// A stand-in that answers --version, does joinBody for a join (its arguments are: chain page cat output result
// dont_ask) and hands everything else to the real pdftk.
QString writeJoiningFakePdftk(const TestFolder& folder, const QByteArray& joinBody);
