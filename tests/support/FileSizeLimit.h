#pragma once

#include <sys/resource.h>

// Makes writes beyond the given size fail with EFBIG for its lifetime, so a
// file can be refused while its folder stays writable (the tests run as
// root, where permissions refuse nothing). SIGXFSZ is ignored from then on,
// so the refused write fails instead of ending the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();

    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
};
