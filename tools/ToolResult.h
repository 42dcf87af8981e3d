#pragma once

#include <QList>
#include <QString>

// What a tool reports when it ends: the messages to show, in order. The
// tools never open a message box themselves; the window (or a test) shows
// or inspects the result.
struct ToolResult
{
    enum class Kind {
        Message,  // completion, information icon
        Warning,  // a refusal (the main program is running, no database)
        Error     // a failure with its number and description
    };
    struct Entry
    {
        Kind kind;
        QString text;
    };

    QList<Entry> entries;

    void add(Kind kind, const QString &text) { entries.append({kind, text}); }
    // True when no entry is a refusal or a failure.
    bool succeeded() const;
    // The texts, in order (for tests and logs).
    QStringList texts() const;
    // Shows every entry through the prompt, each with its icon.
    void show() const;
};
