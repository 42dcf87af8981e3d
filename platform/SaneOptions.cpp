#include "platform/SaneOptions.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include <sane/saneopts.h>

namespace {

// The number of the option called name, or -1. Numbers stay the same when
// the device reloads its options; the descriptors are read afresh each time.
int optionNumber(SANE_Handle h, const char *name)
{
    SANE_Int count = 0;
    if (sane_control_option(h, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
        return -1;
    for (int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor *d = sane_get_option_descriptor(h, i);
        if (d && d->name && std::strcmp(d->name, name) == 0)
            return i;
    }
    return -1;
}

// The option's descriptor when it can be set now, else nullptr.
const SANE_Option_Descriptor *settable(SANE_Handle h, int number)
{
    if (number < 0)
        return nullptr;
    const SANE_Option_Descriptor *d = sane_get_option_descriptor(h, number);
    if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || !SANE_OPTION_IS_SETTABLE(d->cap))
        return nullptr;
    return d;
}

QStringList stringList(const SANE_Option_Descriptor *d)
{
    QStringList entries;
    if (d->type == SANE_TYPE_STRING && d->constraint_type == SANE_CONSTRAINT_STRING_LIST)
        for (const SANE_String_Const *s = d->constraint.string_list; s && *s; ++s)
            entries.append(QString::fromUtf8(*s));
    return entries;
}

// Sets a string-list option to the entry that choose picks from its list;
// false when the option cannot be set or choose picks none.
bool setEntry(SANE_Handle h, const char *name, const std::function<int(const QStringList &)> &choose)
{
    const int number = optionNumber(h, name);
    const SANE_Option_Descriptor *d = settable(h, number);
    if (!d)
        return false;
    const QStringList entries = stringList(d);
    const int index = choose(entries);
    if (index < 0)
        return false;
    std::vector<char> value(size_t(qMax<SANE_Int>(d->size, 1)), '\0');
    std::strncpy(value.data(), d->constraint.string_list[index], value.size() - 1);
    return sane_control_option(h, number, SANE_ACTION_SET_VALUE, value.data(), nullptr) == SANE_STATUS_GOOD;
}

bool contains(const QString &entry, const char *word)
{
    return entry.contains(QLatin1String(word), Qt::CaseInsensitive);
}

int firstWhere(const QStringList &entries, const std::function<bool(const QString &)> &test)
{
    for (int i = 0; i < entries.size(); ++i)
        if (test(entries.at(i)))
            return i;
    return -1;
}

// A value the device offers: in a word list the nearest one, in a range
// the value held to it and taken to its step.
SANE_Word snap(const SANE_Option_Descriptor *d, SANE_Word wanted)
{
    if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range) {
        const SANE_Range *r = d->constraint.range;
        SANE_Word v = qBound(r->min, wanted, r->max);
        if (r->quant > 0) {
            v = r->min + SANE_Word(std::llround(double(v - r->min) / r->quant)) * r->quant;
            if (v > r->max)
                v -= r->quant;
        }
        return v;
    }
    if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list
        && d->constraint.word_list[0] > 0) {
        const SANE_Word *list = d->constraint.word_list;
        SANE_Word best = list[1];
        for (int i = 2; i <= list[0]; ++i)
            if (std::llabs(qint64(list[i]) - wanted) < std::llabs(qint64(best) - wanted))
                best = list[i];
        return best;
    }
    return wanted;
}

// Sets a whole-number option (INT, or FIXED in the device's own scale) to
// the offered value nearest to wanted; gives the value the device holds
// afterwards, or -1 without such an option.
double setNumber(SANE_Handle h, const char *name, double wanted)
{
    const int number = optionNumber(h, name);
    const SANE_Option_Descriptor *d = number < 0 ? nullptr : sane_get_option_descriptor(h, number);
    if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED)
        || d->size != sizeof(SANE_Word))
        return -1;
    const bool fixed = d->type == SANE_TYPE_FIXED;
    if (SANE_OPTION_IS_SETTABLE(d->cap)) {
        SANE_Word value = snap(d, fixed ? SANE_FIX(wanted) : SANE_Word(std::lround(wanted)));
        SANE_Int info = 0;
        sane_control_option(h, number, SANE_ACTION_SET_VALUE, &value, &info);
    }
    // Read back: the device may have taken a nearby value (SANE_INFO_INEXACT).
    SANE_Word held = 0;
    if (sane_control_option(h, number, SANE_ACTION_GET_VALUE, &held, nullptr) != SANE_STATUS_GOOD)
        return -1;
    return fixed ? SANE_UNFIX(held) : double(held);
}

} // namespace

namespace SaneOptions {

int sourceEntry(const QStringList &entries, bool feeder)
{
    if (feeder)
        return firstWhere(entries, [](const QString &e) {
            return contains(e, "adf") || contains(e, "feeder") || contains(e, "automatic document");
        });
    return firstWhere(entries, [](const QString &e) { return contains(e, "flatbed"); });
}

int modeEntry(const QStringList &entries, ScanMode mode)
{
    auto exact = [&entries](const char *word) {
        return firstWhere(entries, [word](const QString &e) { return e.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; });
    };
    auto colourWord = [](const QString &e) { return contains(e, "color") || contains(e, "colour"); };
    int found = -1;
    switch (mode) {
    case ScanMode::Lineart:
        found = exact("lineart");
        if (found < 0)
            found = firstWhere(entries, [&](const QString &e) {
                return !colourWord(e) && (contains(e, "lineart") || contains(e, "binary") || contains(e, "black"));
            });
        break;
    case ScanMode::Gray:
        found = exact("gray");
        if (found < 0)
            found = firstWhere(entries, [&](const QString &e) {
                return !colourWord(e) && (contains(e, "gray") || contains(e, "grey"));
            });
        break;
    case ScanMode::Color:
        found = exact("color");
        if (found < 0)
            found = firstWhere(entries, [&](const QString &e) {
                return colourWord(e) && !contains(e, "lineart") && !contains(e, "halftone");
            });
        break;
    }
    return found;
}

Applied apply(SANE_Handle h, const ScanRequest &request)
{
    Applied applied;
    const bool feeder = request.feeder;
    const bool sourceSet = setEntry(h, SANE_NAME_SCAN_SOURCE,
                                    [feeder](const QStringList &e) { return sourceEntry(e, feeder); });
    applied.feeder = feeder && sourceSet;

    // Black and white without a line-art mode is grey at one bit.
    const ScanMode mode = request.mode;
    const bool modeSet = setEntry(h, SANE_NAME_SCAN_MODE, [mode](const QStringList &e) { return modeEntry(e, mode); });
    if (mode == ScanMode::Lineart && !modeSet) {
        setEntry(h, SANE_NAME_SCAN_MODE, [](const QStringList &e) { return modeEntry(e, ScanMode::Gray); });
        setNumber(h, SANE_NAME_BIT_DEPTH, 1);
    } else if (mode != ScanMode::Lineart) {
        setNumber(h, SANE_NAME_BIT_DEPTH, 8);
    }

    const double dpi = setNumber(h, SANE_NAME_SCAN_RESOLUTION, request.dpi);
    applied.dpi = dpi > 0 ? int(std::lround(dpi)) : 0;
    return applied;
}

} // namespace SaneOptions
