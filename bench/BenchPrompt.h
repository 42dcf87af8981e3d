#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

#include "core/Prompt.h"

// The prompt of a benchmark run: keeps what the program said, answers every
// question the same way, and prints the warnings and errors when asked to,
// so a run that goes wrong says why. Nothing is ever typed or chosen.
class BenchPrompt : public Prompt
{
public:
    BenchPrompt(bool answerYes, bool printProblems) : m_yes(answerYes), m_print(printProblems) {}

    QStringList said;

    void message(const QString &text, const QString &) override { said << text; }
    void warning(const QString &text, const QString &) override { problem(text); }
    void error(const QString &text) override { problem(text); }
    bool question(const QString &, const QString &) override { return m_yes; }
    Answer questionYesNoCancel(const QString &, const QString &) override
    {
        return m_yes ? Answer::Yes : Answer::Cancel;
    }
    DiskAnswer insertDisk(const QString &) override { return DiskAnswer::Cancel; }
    std::optional<QString> input(const QString &, const QString &, const QString &) override { return {}; }
    std::optional<QString> password(const QString &) override { return {}; }
    std::optional<QString> chooseFolder(const QString &) override { return {}; }
    std::optional<QString> openFileName(const QString &, const QString &, const QString &) override { return {}; }
    std::optional<QString> saveFileName(const QString &, const QString &, const QString &) override { return {}; }

private:
    void problem(const QString &text)
    {
        said << text;
        if (m_print)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    }

    bool m_yes;
    bool m_print;
};
