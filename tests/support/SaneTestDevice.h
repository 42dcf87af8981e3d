#pragma once

#include <QStringList>

// SANE's "test" backend as the only scanner of the test process: a
// configuration folder of its own (SANE_CONFIG_DIR without a trailing ':',
// so the system's folder is not read) whose dll.conf loads only "test",
// and a test.conf with the options a case needs. The scanner starts the
// library afresh for every call, so a case may change them between calls.
namespace SaneTestDevice {

// Writes the configuration with these test.conf lines, such as
// "test-picture \"Color pattern\"", after the two devices every case has.
void configure(const QStringList &options = {});

// The line that makes every read of the device end in that status, such
// as "SANE_STATUS_JAMMED".
QString readStatus(const QString &status);

} // namespace SaneTestDevice
