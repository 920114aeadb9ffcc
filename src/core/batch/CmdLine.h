#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

// One parsed batch line: the logical line, its comment-free text, the command
// word and the arguments. A value type that travels between the dispatcher's
// thread and the main window through queued connections.
struct CmdLine {
    // The logical line as assembled (continuation lines already joined).
    QString line;
    // `line` cut before its first "#": decides whether the line is blank and
    // is what error messages quote.
    QString text;
    // First item of the line.
    QString cmd;
    // The remaining non-empty items, in order (taken from the uncut line, so
    // a trailing comment arrives as further arguments).
    QStringList args;
    // 1-based script line of the logical line's first physical line; 0 when
    // the line did not come from a script.
    int lineNo = 0;

    CmdLine() = default;
    explicit CmdLine(const QString& fromLine) { parse(fromLine); }

    // Clears every field (lineNo included) and parses `fromLine`.
    void parse(const QString& fromLine);
    // Argument i, or the empty text when there is none.
    QString arg(int i) const { return i >= 0 && i < args.size() ? args.at(i) : QString(); }
    int directiveId() const;
    int commandId() const;
    bool isDirective() const;
    bool isCommand() const;
    // One of the extra words beyond the 112 commands (BatchKeywords).
    int extraCommandId() const;
    bool isExtraCommand() const;
};

Q_DECLARE_METATYPE(CmdLine)

// Registers "CmdLine" with the meta-type system. Safe to call more than once.
void registerBatchMetaTypes();
