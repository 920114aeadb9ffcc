#pragma once

#include <QString>

// One active ":for" loop of a batch run.
struct LoopVar {
    // Loop name, matched exactly (case-sensitive) by ":next".
    QString name;
    // Index of the last physical line of the ":for" statement.
    int forLine = 0;
    // The text replaced in later command arguments.
    QString token;
    // Start value as written; its leading zeros set the width of later values.
    QString start;
    QString end;
    // Current value; equals start when the loop is created.
    QString current;
    // Step as written; empty when omitted.
    QString step;
};
