#pragma once

#include <QString>
#include <QtGlobal>

// What every measurement prints: one figure per line, "name value", on stdout; failures on stderr.
void figure(const char* name, double value);
void count(const char* name, qint64 value);
int failWith(const QString& message);

// The most memory this process has held at once (the kernel's high-water mark), and what it holds now, in MiB.
double peakRssMiB();
double currentRssMiB();
// The processor time of all finished children of this process.
double childrenCpuSeconds();
