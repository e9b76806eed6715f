// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fllist.h"

#include "platform/FileEnum.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <cstring>
#include <ctime>
#include <stdexcept>

#if defined(__GNUC__) || defined(__clang__)
#define VORLANT_PREFETCH(p) __builtin_prefetch(p)
#else
#define VORLANT_PREFETCH(p) ((void)0)
#endif

namespace {

constexpr std::int64_t StampLimit = (std::int64_t(1) << 39) - 1;

// Days from 1970-01-01 to the civil date y-m-d (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

int CompareNames(const char *a, const char *b)
{
    // Case-insensitive by bytes: ASCII letters fold, everything else compares as it is.
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<unsigned char>(ca + 32);
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<unsigned char>(cb + 32);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

// A record's key next to its number, so that sorting touches one small array instead of the
// records themselves (packed to 12 bytes: this array exists for a million records at a time).
#pragma pack(push, 4)
struct TKeyed {
    std::int64_t Key;
    std::uint32_t Index;
};
#pragma pack(pop)
static_assert(sizeof(TKeyed) == 12);

// The list's quicksort over an array, with an explicit stack in place of the recursion on the
// left part: the parts are disjoint, so the order in which they are sorted changes nothing.
template <class T, class Cmp>
void QuickSortItems(T *items, std::ptrdiff_t l, std::ptrdiff_t r, Cmp cmp)
{
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> pending;
    pending.emplace_back(l, r);
    while (!pending.empty()) {
        std::ptrdiff_t L = pending.back().first, R = pending.back().second;
        pending.pop_back();
        std::ptrdiff_t I = 0;
        do {
            I = L;
            std::ptrdiff_t J = R;
            const T pivot = items[(L + R) / 2];
            do {
                while (cmp(items[I], pivot) < 0)
                    ++I;
                while (cmp(items[J], pivot) > 0)
                    --J;
                if (I <= J) {
                    std::swap(items[I], items[J]);
                    ++I;
                    --J;
                }
            } while (I <= J);
            if (L < J)
                pending.emplace_back(L, J);
            L = I;
        } while (I < R);
    }
}

// Records first .. first+n-1 as keys (keyOf(number)) beside their numbers, in the order adding
// them one by one through Add gives: by key, the later of equal keys first. The array comes from
// malloc (so that it can become the list's order array); the caller frees it.
template <class KeyOf>
TKeyed *SortedKeyed(std::size_t first, std::size_t n, KeyOf keyOf)
{
    auto *keyed = static_cast<TKeyed *>(std::malloc(n * sizeof(TKeyed)));
    if (!keyed)
        throw std::bad_alloc();
    for (std::size_t i = 0; i < n; ++i) {
        const auto number = static_cast<std::uint32_t>(first + i);
        keyed[i] = TKeyed{keyOf(number), number};
    }
    std::sort(keyed, keyed + n, [](const TKeyed &a, const TKeyed &b) {
        return a.Key != b.Key ? a.Key > b.Key : a.Index > b.Index;
    });
    return keyed;
}

} // namespace

std::int32_t TFileObject::Time() const
{
    std::tm tm{};
    if (!LocalFileTime(TimeStamp(), tm) || tm.tm_year < 80)
        return 0x00210000; // 1980-01-01 00:00:00
    if (tm.tm_year > 207)
        return static_cast<std::int32_t>(0xFF9FBF7Du); // 2107-12-31 23:59:58
    const std::uint32_t packed = (static_cast<std::uint32_t>(tm.tm_year - 80) << 25) |
                                 (static_cast<std::uint32_t>(tm.tm_mon + 1) << 21) |
                                 (static_cast<std::uint32_t>(tm.tm_mday) << 16) |
                                 (static_cast<std::uint32_t>(tm.tm_hour) << 11) |
                                 (static_cast<std::uint32_t>(tm.tm_min) << 5) |
                                 static_cast<std::uint32_t>(std::min(tm.tm_sec, 59) / 2);
    return static_cast<std::int32_t>(packed);
}

double TFileObject::DateTime() const
{
    return UnixToDateTime(TimeStamp());
}

double UnixToDateTime(std::int64_t seconds)
{
    std::tm tm{};
    if (!LocalFileTime(seconds, tm))
        return static_cast<double>(seconds) / 86400.0 + 25569.0;
    const std::int64_t days = DaysFromCivil(std::int64_t(tm.tm_year) + 1900, static_cast<unsigned>(tm.tm_mon + 1),
                                            static_cast<unsigned>(tm.tm_mday));
    const int secondOfDay = tm.tm_hour * 3600 + tm.tm_min * 60 + std::min(tm.tm_sec, 59);
    return static_cast<double>(days + 25569) + secondOfDay / 86400.0;
}

void TOrderArray::Insert(std::size_t pos, std::uint32_t value)
{
    if (FSize == FCapacity) {
        const std::size_t capacity = FCapacity ? FCapacity * 2 : 64;
        void *grown = std::realloc(FData, capacity * sizeof(std::uint32_t));
        if (!grown)
            throw std::bad_alloc();
        FData = static_cast<std::uint32_t *>(grown);
        FCapacity = capacity;
    }
    std::memmove(FData + pos + 1, FData + pos, (FSize - pos) * sizeof(std::uint32_t));
    FData[pos] = value;
    ++FSize;
}

void TOrderArray::Erase(std::size_t pos)
{
    std::memmove(FData + pos, FData + pos + 1, (FSize - pos - 1) * sizeof(std::uint32_t));
    --FSize;
}

void TOrderArray::Assign(const std::vector<std::uint32_t> &values)
{
    Reset();
    if (values.empty())
        return;
    void *buffer = std::malloc(values.size() * sizeof(std::uint32_t));
    if (!buffer)
        throw std::bad_alloc();
    std::memcpy(buffer, values.data(), values.size() * sizeof(std::uint32_t));
    Adopt(buffer, values.size());
}

void TOrderArray::Reset()
{
    std::free(FData);
    FData = nullptr;
    FSize = FCapacity = 0;
}

void TOrderArray::Adopt(void *buffer, std::size_t count)
{
    std::free(FData);
    FData = static_cast<std::uint32_t *>(buffer);
    FSize = FCapacity = count;
}

void *TOrderArray::Release()
{
    void *buffer = FData;
    FData = nullptr;
    FSize = FCapacity = 0;
    return buffer;
}

TFilesList::TFilesList() = default;

TFilesList::~TFilesList()
{
    Clear();
}

const char *TFilesList::InternText(std::string_view text)
{
    const std::size_t need = text.size() + 1;
    if (need > FTextLeft) {
        const std::size_t blockSize = std::max(need, TextBlockSize);
        FTextBlocks.emplace_back(new char[blockSize]);
        FTextFree = FTextBlocks.back().get();
        FTextLeft = blockSize;
    }
    char *out = FTextFree;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = 0;
    FTextFree += need;
    FTextLeft -= need;
    return out;
}

TFileObject &TFilesList::NewRecord(std::string_view name, const char *path, std::int64_t size, std::uint32_t attr,
                                   std::int64_t timeStamp)
{
    if (FRecordCount >= 0xFFFFFFFFu)
        throw std::length_error("too many files for one list");
    const auto number = static_cast<std::uint32_t>(FRecordCount);
    if ((number & (ChunkSize - 1)) == 0)
        FChunks.emplace_back(new TFileObject[ChunkSize]);
    TFileObject &r = Record(number);
    r.FName = InternText(name);
    r.FPath = path;
    r.FSize = size;
    const std::int64_t stamp = std::clamp(timeStamp, -StampLimit - 1, StampLimit);
    r.FStampAttr = (static_cast<std::uint64_t>(stamp) << 24) | (attr & 0xFFFFFFu);
    ++FRecordCount;
    return r;
}

int TFilesList::Add(std::string_view name, std::string_view path, std::int64_t size, std::uint32_t attr,
                    std::int64_t timeStamp)
{
    RankAppended();
    if (FLastPath.data() == nullptr || FLastPath != path)
        FLastPath = std::string_view(InternText(path), path.size());
    const TFileObject &r = NewRecord(name, FLastPath.data(), size, attr, timeStamp);
    const auto number = static_cast<std::uint32_t>(FRecordCount - 1);
    FRankedCount = FRecordCount;
    int index = Count();
    if (FSortMode != smNone)
        Find(r, index);
    FOrder.Insert(static_cast<std::size_t>(index), number);
    return index;
}

void TFilesList::Append(std::string_view name, const char *path, std::int64_t size, std::uint32_t attr,
                        std::int64_t timeStamp)
{
    NewRecord(name, path, size, attr, timeStamp);
}

void TFilesList::RankAppended()
{
    if (FRankedCount == FRecordCount)
        return;
    const std::size_t first = FRankedCount, n = FRecordCount - first;
    FRankedCount = FRecordCount;
    if (FSortMode == smNone) {
        std::vector<std::uint32_t> all(FOrder.data(), FOrder.data() + FOrder.size());
        for (std::size_t i = first; i < FRecordCount; ++i)
            all.push_back(static_cast<std::uint32_t>(i));
        FOrder.Assign(all);
        return;
    }
    // One by one through Add, each record would go in front of every equal key met so far: the
    // result is the order by key, equal keys with the later record first.
    std::vector<std::uint32_t> fresh(n);
    if (FSortMode == smSize || FSortMode == smTime) {
        TKeyed *keyed = SortedKeyed(first, n, [this](std::uint32_t number) { return Key(Record(number)); });
        for (std::size_t i = 0; i < n; ++i)
            fresh[i] = keyed[i].Index;
        std::free(keyed);
    } else {
        for (std::size_t i = 0; i < n; ++i)
            fresh[i] = static_cast<std::uint32_t>(FRecordCount - 1 - i);
        std::stable_sort(fresh.begin(), fresh.end(), [this](std::uint32_t a, std::uint32_t b) {
            return Compare(Record(a), Record(b)) < 0;
        });
    }
    if (FOrder.empty()) {
        FOrder.Assign(fresh);
        return;
    }
    // Records already ranked: the new ones go in front of equal keys.
    std::vector<std::uint32_t> merged;
    merged.reserve(FOrder.size() + n);
    std::size_t a = 0, b = 0;
    while (a < fresh.size() && b < FOrder.size()) {
        if (Compare(Record(fresh[a]), Record(FOrder[b])) <= 0)
            merged.push_back(fresh[a++]);
        else
            merged.push_back(FOrder[b++]);
    }
    merged.insert(merged.end(), fresh.begin() + static_cast<std::ptrdiff_t>(a), fresh.end());
    merged.insert(merged.end(), FOrder.data() + b, FOrder.data() + FOrder.size());
    FOrder.Assign(merged);
}

void TFilesList::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    FOrder.Erase(static_cast<std::size_t>(index));
}

void TFilesList::Clear()
{
    FOrder.Reset();
    FChunks.clear();
    FChunks.shrink_to_fit();
    FTextBlocks.clear();
    FTextBlocks.shrink_to_fit();
    FTextFree = nullptr;
    FTextLeft = 0;
    FLastPath = {};
    FRecordCount = FRankedCount = 0;
}

void TFilesList::Sort()
{
    if ((FSortMode == smSize || FSortMode == smTime) && FRankedCount == 0 && FRecordCount > 0) {
        SortAllKeyed(); // the scan's case: every record appended, none ranked yet
        return;
    }
    RankAppended();
    if (!FOrder.empty())
        QuickSort(0, Count() - 1);
}

int TFilesList::Compare(const TFileObject &a, const TFileObject &b) const
{
    switch (FSortMode) {
    case smName:
        return CompareNames(a.FName, b.FName);
    case smSize:
        return CompareIntDescending(a.FSize, b.FSize);
    case smTime:
        return CompareIntDescending(a.TimeStamp(), b.TimeStamp());
    default:
        return 0;
    }
}

bool TFilesList::Find(const TFileObject &item, int &index) const
{
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (hi >= lo) {
        const int mid = (lo + hi) / 2;
        const int c = Compare(*Items(mid), item);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0)
                found = true;
        }
    }
    index = lo;
    return found;
}

void TFilesList::SetSortMode(std::uint8_t mode)
{
    if (mode == FSortMode)
        return;
    FSortMode = mode;
    Sort();
}

void TFilesList::QuickSort(int l, int r)
{
    if (l < 0 || r >= Count() || l >= r)
        return;
    SortRange(static_cast<std::size_t>(l), static_cast<std::size_t>(r));
}

namespace {

int CompareKeyed(const TKeyed &a, const TKeyed &b)
{
    return CompareIntDescending(a.Key, b.Key);
}

// Writes the record numbers of `keyed` to the front of its own storage, as uint32 values, and
// shrinks it: each number moves to a lower address than any key not yet read.
void *NarrowKeyed(TKeyed *keyed, std::size_t n)
{
    auto *numbers = reinterpret_cast<std::uint32_t *>(keyed);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t index;
        std::memcpy(&index, reinterpret_cast<char *>(keyed) + i * sizeof(TKeyed) + offsetof(TKeyed, Index),
                    sizeof index);
        std::memcpy(numbers + i, &index, sizeof index);
    }
    void *shrunk = std::realloc(keyed, n * sizeof(std::uint32_t));
    return shrunk ? shrunk : keyed;
}

} // namespace

void TFilesList::SortAllKeyed()
{
    // Adding the records one by one through Add would order them by key, the later of equal keys
    // first; the quicksort then runs on that order. Both happen here on one array of keys.
    const std::size_t n = FRecordCount;
    TKeyed *keyed = SortedKeyed(0, n, [this](std::uint32_t number) { return Key(Record(number)); });
    QuickSortItems(keyed, 0, static_cast<std::ptrdiff_t>(n - 1), CompareKeyed);
    FOrder.Adopt(NarrowKeyed(keyed, n), n);
    FRankedCount = n;
}

void TFilesList::SortRange(std::size_t l, std::size_t r)
{
    if ((FSortMode == smSize || FSortMode == smTime) && l == 0 && r + 1 == FOrder.size()) {
        // The whole list: widen the numbers in place to keys beside them (from the back, so that no
        // number is overwritten before it is read), sort, and narrow again.
        const std::size_t n = FOrder.size();
        void *buffer = std::realloc(FOrder.data(), n * sizeof(TKeyed));
        if (!buffer)
            throw std::bad_alloc();
        FOrder.Release();
        auto *numbers = static_cast<std::uint32_t *>(buffer);
        auto *keyed = static_cast<TKeyed *>(buffer);
        constexpr std::size_t behind = 16;
        for (std::size_t i = n; i-- > 0;) {
            if (i >= behind)
                VORLANT_PREFETCH(&Record(numbers[i - behind]));
            const std::uint32_t number = numbers[i];
            const TKeyed item{Key(Record(number)), number};
            std::memcpy(static_cast<void *>(keyed + i), &item, sizeof item);
        }
        QuickSortItems(keyed, 0, static_cast<std::ptrdiff_t>(n - 1), CompareKeyed);
        FOrder.Adopt(NarrowKeyed(keyed, n), n);
        return;
    }
    QuickSortItems(FOrder.data(), static_cast<std::ptrdiff_t>(l), static_cast<std::ptrdiff_t>(r),
                   [this](std::uint32_t a, std::uint32_t b) { return Compare(Record(a), Record(b)); });
}
