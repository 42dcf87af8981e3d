#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

// The record an export keeps of the files it writes into a cabinet folder
// (CabinetTree::RecordFileName, in that folder on each disk): one path a
// line, relative to the cabinet folder, in UTF-8, each line ended by CR LF;
// "\" stands as "\\", a line feed as "\n" and a carriage return as "\r",
// so any name takes exactly one line. A path goes in before its file is
// written and is taken out again when the write fails, so whatever a
// killed export left behind is known. A line without its line end (cut
// short by a power cut) names nothing. Exporting again over the tree
// removes what its record names and nothing else (PreviousExport).
namespace ExportRecord {

// The line of relative, line end included.
QByteArray line(const QString &relative);
// The paths of the complete lines of a record.
QSet<QString> paths(const QByteArray &record);

// Adds the lines of one disk's cabinet folder. The record is opened for
// each line and closed after it: no handle stays open across a disk
// change.
class Writer
{
public:
    // Lines go to the record in cabinetFolder from now on, after those it
    // holds: what an earlier export wrote there and was not cleared is
    // still that export's.
    void start(const QString &cabinetFolder);
    // Adds relative before its file is written: 0, or the errno of the
    // write, which leaves the record as it was.
    int add(const QString &relative);
    // Takes the line added last out again: its file was not written.
    void takeBack();

    QString path() const { return m_path; }
    // Whether a line went to the record since start.
    bool used() const { return m_used; }

private:
    QString m_path;
    bool m_used = false;
    qint64 m_before = -1;   // the record's size before the line added last
};

} // namespace ExportRecord
