#include "Log.h"

#include <cstdio>

namespace {
bool g_verbose = false;

void print(const QString &text)
{
    std::fprintf(stderr, "wirelook-devsim: %s\n", qPrintable(text));
    std::fflush(stderr);
}
} // namespace

namespace Log {

void setVerbose(bool on)
{
    g_verbose = on;
}

bool verbose()
{
    return g_verbose;
}

void error(const QString &text)
{
    print(QStringLiteral("error: ") + text);
}

void debug(const QString &text)
{
    if (g_verbose)
        print(text);
}

void info(const QString &text)
{
    print(text);
}

} // namespace Log
