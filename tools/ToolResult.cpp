#include "tools/ToolResult.h"

#include "core/Prompt.h"

#include <QStringList>

bool ToolResult::succeeded() const
{
    for (const Entry &e : entries) {
        if (e.kind != Kind::Message)
            return false;
    }
    return true;
}

QStringList ToolResult::texts() const
{
    QStringList out;
    for (const Entry &e : entries)
        out.append(e.text);
    return out;
}

void ToolResult::show() const
{
    for (const Entry &e : entries) {
        switch (e.kind) {
        case Kind::Message: Prompt::instance().message(e.text); break;
        case Kind::Warning: Prompt::instance().warning(e.text); break;
        case Kind::Error: Prompt::instance().error(e.text); break;
        }
    }
}
