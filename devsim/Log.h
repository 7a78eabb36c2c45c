#pragma once

#include <QString>

// Diagnostics go to stderr; stdout carries only the slave path.
namespace Log {
void setVerbose(bool on);
bool verbose();
void error(const QString &text);
// Printed only with --verbose.
void debug(const QString &text);
// Printed always (reports such as the flood rate).
void info(const QString &text);
} // namespace Log
