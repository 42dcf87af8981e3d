#include "tests/support/BirthTrace.h"

#include "platform/DbConnection.h"
#include "store/PageBirth.h"

BirthTrace::BirthTrace()
{
    // Syncs may be reported from worker threads, the commit after them
    // from the window's.
    PageBirth::setTrace([this](const QString &event) {
        const QMutexLocker lock(&m_mutex);
        m_events.append(event);
        if (m_failNextCommit && event.startsWith(QLatin1String("sync "))) {
            m_failNextCommit = false;
            DbConnection::failAfterStatements(1);
        }
    });
}

BirthTrace::~BirthTrace()
{
    PageBirth::setTrace({});
    DbConnection::failAfterStatements(0);
}

QStringList BirthTrace::events() const
{
    const QMutexLocker lock(&m_mutex);
    return m_events;
}

bool BirthTrace::syncedBeforeCommit(const QString &path) const
{
    const QStringList all = events();
    const qsizetype synced = all.indexOf(QStringLiteral("sync ") + path);
    return synced >= 0 && all.indexOf(QStringLiteral("commit"), synced) > synced;
}
