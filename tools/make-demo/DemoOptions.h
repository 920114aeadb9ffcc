#pragma once

#include "DemoConfig.h"

#include <QStringList>

// Command line of make-demo: turns the arguments (without the program name)
// into a DemoConfig, or says why it cannot.
class DemoOptions
{
public:
    enum class Result { Run, Help, Error };

    static Result parse(const QStringList& args, DemoConfig* config, QString* error);
    static QString usage();
};
