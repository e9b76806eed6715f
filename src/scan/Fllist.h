// SPDX-License-Identifier: GPL-3.0-or-later
// Fllist: the file records a drive scan finds and the ranked list that holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// 1 when a < b, -1 when a > b, 0 when equal: the reverse of the usual three-way comparison, which
/// makes the size and time rankings run from the largest and the newest.
inline int CompareIntDescending(std::int64_t a, std::int64_t b)
{
    return a < b ? 1 : (a > b ? -1 : 0);
}

/// One file found by the scan. Records are created and owned by a TFilesList, which keeps their
/// texts in its own storage; a record stays valid (at the same address) until the list is cleared
/// or destroyed. 32 bytes, so that a million records stay cheap.
class TFileObject
{
public:
    /// The file's name without folder, bytes as the enumeration reported them.
    std::string Name() const { return FName; }
    /// The folder the file was found in, exactly as the walk passed it in (for a file in a drive's
    /// root: the drive text itself).
    std::string Path() const { return FPath; }
    /// The same texts without a copy (NUL-terminated).
    const char *NameData() const { return FName; }
    const char *PathData() const { return FPath; }
    /// Size in bytes, 64-bit.
    std::int64_t Size() const { return FSize; }
    /// Attribute bits (platform/FileEnum.h); the low 24 bits are kept.
    std::uint32_t Attr() const { return static_cast<std::uint32_t>(FStampAttr & 0xFFFFFFu); }
    /// Last-write time in seconds since 1970-01-01 UTC, full range (about +/- 17,000 years are held;
    /// stamps beyond are held at that limit). Rankings by time use this.
    std::int64_t TimeStamp() const { return static_cast<std::int64_t>(FStampAttr) >> 24; }
    /// Last-write time in local time (as the system converts it: LocalFileTime in
    /// platform/FileEnum.h), packed as a DOS date-time (bits 25-31 year - 1980, 21-24 month, 16-20
    /// day, 11-15 hour, 5-10 minute, 0-4 seconds / 2). Stamps the format cannot hold read as its
    /// first (1980-01-01) or last (2107-12-31 23:59:58) instant.
    std::int32_t Time() const;
    /// Last-write time in local time as days since 30 December 1899, the time of day as the fraction
    /// (full range).
    double DateTime() const;

private:
    friend class TFilesList;
    const char *FName;
    const char *FPath;
    std::int64_t FSize;
    std::uint64_t FStampAttr; // time stamp (signed, upper 40 bits) and attribute bits (lower 24)
};

/// The local date-time (days since 30 December 1899) of a time stamp in seconds since 1970 UTC.
double UnixToDateTime(std::int64_t seconds);

/// Orders of a TFilesList.
enum TSortMode : std::uint8_t { smNone = 0, smName = 1, smSize = 2, smTime = 3 };

/// A growable array of record numbers in malloc'd storage, so that a sort can widen it in place
/// to keys beside the numbers and narrow it again without holding two arrays at once.
class TOrderArray
{
public:
    TOrderArray() = default;
    ~TOrderArray() { std::free(FData); }
    TOrderArray(const TOrderArray &) = delete;
    TOrderArray &operator=(const TOrderArray &) = delete;

    std::size_t size() const { return FSize; }
    bool empty() const { return FSize == 0; }
    std::uint32_t *data() { return FData; }
    std::uint32_t &operator[](std::size_t i) { return FData[i]; }
    std::uint32_t operator[](std::size_t i) const { return FData[i]; }
    void Insert(std::size_t pos, std::uint32_t value);
    void Erase(std::size_t pos);
    void Assign(const std::vector<std::uint32_t> &values);
    /// Frees the storage.
    void Reset();
    /// Takes over `buffer` (from malloc/realloc) holding `count` numbers.
    void Adopt(void *buffer, std::size_t count);
    /// Hands the storage to the caller (who frees it) and leaves the array empty.
    void *Release();

private:
    std::uint32_t *FData = nullptr;
    std::size_t FSize = 0;
    std::size_t FCapacity = 0;
};

/// The abstract base of file lists: adding, deleting, clearing and sorting records.
class TBaseFileList
{
public:
    virtual ~TBaseFileList() = default;
    virtual int Add(std::string_view name, std::string_view path, std::int64_t size, std::uint32_t attr,
                    std::int64_t timeStamp) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual void Sort() = 0;
};

/// The ranked list of one drive's files; it owns its records. One thread at a time.
///
/// Orders (SortMode): 0 none (insertion order), 1 by name ignoring case, 2 by size largest first,
/// 3 by time newest first. While SortMode is not 0 and records enter through Add, the list stays
/// ordered so that Compare(item[i], item[i+1]) <= 0.
///
/// Two ways in: Add ranks each record at once (binary search, then insertion); Append collects
/// records unranked and RankAppended ranks them all in O(n log n), giving exactly the order that
/// adding them one by one through Add would have given (among equal keys the last added first).
class TFilesList : public TBaseFileList
{
public:
    TFilesList();
    ~TFilesList() override;
    TFilesList(const TFilesList &) = delete;
    TFilesList &operator=(const TFilesList &) = delete;

    /// Creates a record from the five values and places it: appended in mode 0, otherwise at the
    /// index Find gives (in front of every record with an equal key). Returns that index.
    int Add(std::string_view name, std::string_view path, std::int64_t size, std::uint32_t attr,
            std::int64_t timeStamp) override;
    /// Removes the record at `index` from the ranking; an index outside 0 .. Count-1 does nothing.
    /// Its storage is released with the list's (Clear or destruction).
    void Delete(int index) override;
    /// Removes and frees every record.
    void Clear() override;
    /// Sorts the whole list with QuickSort when it holds records.
    void Sort() override;

    /// < 0 when `a` ranks before `b`, > 0 after, 0 for equal keys; 0 in mode 0 or an unknown mode.
    int Compare(const TFileObject &a, const TFileObject &b) const;
    /// Binary search: `index` := the first position whose record does not rank before `item`;
    /// true when a record with an equal key was met on the way.
    bool Find(const TFileObject &item, int &index) const;
    /// Stores `mode` and sorts, when it differs from the current one; otherwise does nothing.
    void SetSortMode(std::uint8_t mode);
    std::uint8_t SortMode() const { return FSortMode; }
    /// Sorts positions l .. r in place with the list's own quicksort (middle record as pivot, not
    /// stable: its exact steps decide the order of equal keys).
    void QuickSort(int l, int r);

    int Count() const { return static_cast<int>(FOrder.size()); }
    /// The record at ranked position `index` (0 .. Count-1).
    const TFileObject *Items(int index) const { return &Record(FOrder[static_cast<size_t>(index)]); }

    /// Keeps `text` in the list's storage for the list's lifetime (NUL-terminated); for the folder
    /// texts given to Append.
    const char *InternText(std::string_view text);
    /// Adds a record without ranking it; `path` must come from InternText. Count() does not see it
    /// until RankAppended.
    void Append(std::string_view name, const char *path, std::int64_t size, std::uint32_t attr,
                std::int64_t timeStamp);
    /// Ranks every appended record as if each had come through Add, in the order appended.
    void RankAppended();
    /// Records held, ranked or not.
    std::size_t RecordCount() const { return FRecordCount; }

private:
    TFileObject &Record(std::uint32_t i) const { return FChunks[i >> ChunkBits][i & (ChunkSize - 1)]; }
    TFileObject &NewRecord(std::string_view name, const char *path, std::int64_t size, std::uint32_t attr,
                           std::int64_t timeStamp);
    std::int64_t Key(const TFileObject &r) const { return FSortMode == smSize ? r.FSize : r.TimeStamp(); }
    void SortRange(std::size_t l, std::size_t r);
    void SortAllKeyed();

    static constexpr unsigned ChunkBits = 14;
    static constexpr std::uint32_t ChunkSize = 1u << ChunkBits;
    static constexpr std::size_t TextBlockSize = 256 * 1024;

    std::uint8_t FSortMode = smNone;
    TOrderArray FOrder; // ranked positions -> record numbers
    std::vector<std::unique_ptr<TFileObject[]>> FChunks;
    std::size_t FRecordCount = 0;
    std::size_t FRankedCount = 0; // records numbered below this are in FOrder (or deleted)
    std::vector<std::unique_ptr<char[]>> FTextBlocks;
    char *FTextFree = nullptr;
    std::size_t FTextLeft = 0;
    std::string_view FLastPath; // the last folder text Add interned, reused while it repeats
};
