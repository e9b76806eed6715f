// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "scan/Fllist.h"

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <random>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace {

std::vector<std::string> Names(const TFilesList &list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i)
        names.push_back(list.Items(i)->Name());
    return names;
}

void AddSize(TFilesList &list, const std::string &name, std::int64_t size)
{
    list.Add(name, "/p", size, 0, 0);
}

// The ranking exactly as the list defines it, kept literal and slow: records are inserted one by
// one after a binary search, and sorted by the recursive quicksort with the middle record as pivot.
struct TLiteralRecord {
    std::int64_t Size = 0;
    std::int64_t Stamp = 0;
    std::string Name;
    int Id = 0;
};

class TLiteralList
{
public:
    explicit TLiteralList(int mode)
        : FMode(mode)
    {
    }
    std::vector<TLiteralRecord> Items;

    int Compare(const TLiteralRecord &a, const TLiteralRecord &b) const
    {
        if (FMode == 1) {
            for (size_t i = 0;; ++i) {
                int ca = i < a.Name.size() ? std::tolower(static_cast<unsigned char>(a.Name[i])) : 0;
                int cb = i < b.Name.size() ? std::tolower(static_cast<unsigned char>(b.Name[i])) : 0;
                if (ca != cb)
                    return ca < cb ? -1 : 1;
                if (ca == 0)
                    return 0;
            }
        }
        if (FMode == 2)
            return a.Size < b.Size ? 1 : (a.Size > b.Size ? -1 : 0);
        if (FMode == 3)
            return a.Stamp < b.Stamp ? 1 : (a.Stamp > b.Stamp ? -1 : 0);
        return 0;
    }
    void Add(const TLiteralRecord &r)
    {
        int lo = 0, hi = static_cast<int>(Items.size()) - 1;
        while (hi >= lo) {
            int mid = (lo + hi) / 2;
            if (Compare(Items[mid], r) < 0)
                lo = mid + 1;
            else
                hi = mid - 1;
        }
        Items.insert(Items.begin() + (FMode == 0 ? static_cast<int>(Items.size()) : lo), r);
    }
    void QuickSort(int L, int R)
    {
        int I;
        do {
            I = L;
            int J = R;
            const TLiteralRecord P = Items[(L + R) / 2];
            do {
                while (Compare(Items[I], P) < 0)
                    ++I;
                while (Compare(Items[J], P) > 0)
                    --J;
                if (I <= J) {
                    std::swap(Items[I], Items[J]);
                    ++I;
                    --J;
                }
            } while (I <= J);
            if (L < J)
                QuickSort(L, J);
            L = I;
        } while (I < R);
    }
    void Sort()
    {
        if (!Items.empty())
            QuickSort(0, static_cast<int>(Items.size()) - 1);
    }
    void SetMode(int mode)
    {
        if (mode != FMode) {
            FMode = mode;
            Sort();
        }
    }

private:
    int FMode;
};

std::vector<int> Ids(const TLiteralList &list)
{
    std::vector<int> ids;
    for (const auto &r : list.Items)
        ids.push_back(r.Id);
    return ids;
}

std::vector<int> Ids(const TFilesList &list)
{
    std::vector<int> ids;
    for (int i = 0; i < list.Count(); ++i)
        ids.push_back(std::atoi(list.Items(i)->PathData() + 1));
    return ids;
}

} // namespace

TEST(TFilesList, EqualKeysPutTheLatestFirst)
{
    TFilesList bySize;
    bySize.SetSortMode(smSize);
    AddSize(bySize, "five-first", 5);
    AddSize(bySize, "nine", 9);
    EXPECT_EQ(bySize.Add("five-second", "/p", 5, 0, 0), 1);
    AddSize(bySize, "seven", 7);
    EXPECT_EQ(Names(bySize), (std::vector<std::string>{"nine", "seven", "five-second", "five-first"}));
    int index = -1;
    EXPECT_TRUE(bySize.Find(*bySize.Items(3), index));
    EXPECT_EQ(index, 2); // the first record with an equal key

    TFilesList unsorted;
    for (auto [name, size] : {std::pair{"a", 5}, {"b", 9}, {"c", 5}, {"d", 7}})
        AddSize(unsorted, name, size);
    EXPECT_EQ(Names(unsorted), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(TFilesList, EmptyListAndDelete)
{
    TFilesList list;
    list.SetSortMode(smSize);
    list.Sort();
    TFilesList other;
    other.Add("x", "/p", 1, 0, 0);
    int index = -1;
    EXPECT_FALSE(list.Find(*other.Items(0), index));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(list.Add("first", "/p", 1, 0, 0), 0);
    AddSize(list, "second", 2);
    AddSize(list, "third", 3);
    list.Delete(-1);
    list.Delete(list.Count());
    EXPECT_EQ(list.Count(), 3);
    list.Delete(1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"third", "first"}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.RecordCount(), 0u);
}

TEST(TFilesList, SetSortModeSortsOnlyOnChange)
{
    // In insertion order, a sort still moves records: the quicksort swaps equal keys.
    TFilesList list;
    for (const char *name : {"a", "b", "c"})
        AddSize(list, name, 1);
    list.SetSortMode(smNone);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));
    list.Sort();
    EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "b", "a"}));
    list.SetSortMode(smName);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(TFilesList, KeysAndTheirRanges)
{
    TFilesList bySize;
    bySize.SetSortMode(smSize);
    const std::int64_t gib = 1LL << 30;
    for (auto [name, size] : {std::pair<const char *, std::int64_t>{"small", 1}, {"two", 2 * gib + 1},
                              {"five", 5 * gib}, {"three", 3 * gib}, {"huge", 1LL << 62}})
        AddSize(bySize, name, size);
    EXPECT_EQ(Names(bySize), (std::vector<std::string>{"huge", "five", "three", "two", "small"}));
    EXPECT_EQ(bySize.Items(1)->Size(), 5 * gib);

    TFilesList byTime;
    byTime.SetSortMode(smTime);
    const std::int64_t year = 365LL * 86400;
    for (auto [name, stamp] : {std::pair<const char *, std::int64_t>{"1975", 5 * year}, {"2050", 80 * year},
                               {"1960", -10 * year}, {"2200", 230 * year}, {"2000", 30 * year}})
        byTime.Add(name, "/p", 0, 0x20, stamp);
    EXPECT_EQ(Names(byTime), (std::vector<std::string>{"2200", "2050", "2000", "1975", "1960"}));
    EXPECT_EQ(byTime.Items(4)->TimeStamp(), -10 * year);
    EXPECT_EQ(byTime.Items(4)->Attr(), 0x20u);

    TFilesList byName;
    byName.SetSortMode(smName);
    for (const char *name : {"beta", "ALPHA", "Gamma", "alpha2"})
        byName.Add(name, "/p", 0, 0, 0);
    EXPECT_EQ(Names(byName), (std::vector<std::string>{"ALPHA", "alpha2", "beta", "Gamma"}));
}

TEST(TFileObject, PackedTimeAndDateTime)
{
#ifdef _WIN32
    // The system's zone counts there, not the C library's TZ.
    TIME_ZONE_INFORMATION zone{};
    if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_UNKNOWN || zone.Bias != 0)
        GTEST_SKIP() << "needs a system time zone of UTC without daylight saving";
#else
    setenv("TZ", "UTC", 1);
    tzset();
#endif
    TFilesList list;
    list.Add("f", "/dir", 10, 0, 981173106); // 2001-02-03 04:05:06
    const TFileObject &r = *list.Items(0);
    EXPECT_EQ(r.Name(), "f");
    EXPECT_EQ(r.Path(), "/dir");
    EXPECT_EQ(static_cast<std::uint32_t>(r.Time()), (21u << 25) | (2u << 21) | (3u << 16) | (4u << 11) | (5u << 5) | 3u);
    EXPECT_DOUBLE_EQ(r.DateTime(), 36925.0 + (4 * 3600 + 5 * 60 + 6) / 86400.0);
    list.Add("old", "/dir", 0, 0, -86400); // 1969-12-31: before the packed format, true date-time kept
    list.Add("far", "/dir", 0, 0, 5000000000LL); // 2128
    EXPECT_EQ(list.Items(1)->Time(), 0x00210000);
    EXPECT_DOUBLE_EQ(list.Items(1)->DateTime(), 25568.0);
    EXPECT_EQ(static_cast<std::uint32_t>(list.Items(2)->Time()), 0xFF9FBF7Du);
    EXPECT_DOUBLE_EQ(list.Items(2)->DateTime(), 5000000000.0 / 86400 + 25569);
}

#ifdef _WIN32
// Under Windows the packed time is the one the system's own enumeration gives: the last-write time
// through FileTimeToLocalFileTime and FileTimeToDosDateTime, in whatever zone the system is in.
TEST(TFileObject, PackedTimeIsTheSystemsOwn)
{
    const SYSTEMTIME times[] = {
        {2001, 2, 6, 3, 4, 5, 6, 0},       {2021, 7, 4, 15, 12, 30, 59, 999}, {1980, 1, 2, 1, 0, 0, 0, 0},
        {1999, 12, 5, 31, 23, 59, 59, 0}, {2107, 12, 6, 30, 23, 59, 58, 0}, {2024, 3, 0, 31, 1, 30, 0, 0},
    };
    TFilesList list;
    for (const SYSTEMTIME &st : times) {
        FILETIME utc{}, local{};
        ASSERT_TRUE(SystemTimeToFileTime(&st, &utc));
        WORD date = 0, time = 0;
        ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local) && FileTimeToDosDateTime(&local, &date, &time));
        const std::int64_t ticks = (static_cast<std::int64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
        list.Add("f", "C:", 0, 0, ticks / 10000000 - 11644473600LL);
        EXPECT_EQ(static_cast<std::uint32_t>(list.Items(list.Count() - 1)->Time()), (std::uint32_t(date) << 16) | time)
            << st.wYear << "-" << st.wMonth << "-" << st.wDay;
    }
}
#endif

// Bulk ranking must give exactly the order that one-by-one insertion followed by the quicksort
// gives, ties included; so must re-ranking into every other order.
TEST(TFilesList, BulkRankingEqualsInsertionThenQuickSort)
{
    std::mt19937 random(20260101);
    const char *names[] = {"a", "A", "b", "B", "ab", "aB"};
    for (int round = 0; round < 60; ++round) {
        const int mode = 1 + round % 3;
        const int n = 1 + static_cast<int>(random() % 2500);
        const int keyRange = 1 + static_cast<int>(random() % 40); // many equal keys
        TLiteralList literal(mode);
        TFilesList bulk, oneByOne, rankedBySort;
        bulk.SetSortMode(static_cast<std::uint8_t>(mode));
        oneByOne.SetSortMode(static_cast<std::uint8_t>(mode));
        rankedBySort.SetSortMode(static_cast<std::uint8_t>(mode));
        for (int id = 0; id < n; ++id) {
            TLiteralRecord r;
            r.Size = static_cast<std::int64_t>(random() % keyRange) - keyRange / 4;
            r.Stamp = static_cast<std::int64_t>(random() % keyRange) * 1000000007LL;
            r.Name = names[random() % 6];
            r.Id = id;
            literal.Add(r);
            const std::string path = "/" + std::to_string(id);
            bulk.Append(r.Name, bulk.InternText(path), r.Size, 0, r.Stamp);
            rankedBySort.Append(r.Name, rankedBySort.InternText(path), r.Size, 0, r.Stamp);
            oneByOne.Add(r.Name, path, r.Size, 0, r.Stamp);
        }
        bulk.RankAppended();
        ASSERT_EQ(Ids(bulk), Ids(literal)) << "round " << round;
        ASSERT_EQ(Ids(oneByOne), Ids(literal)) << "round " << round;
        literal.Sort();
        bulk.Sort();
        rankedBySort.Sort(); // ranking and quicksort in one step, as after a scan
        ASSERT_EQ(Ids(bulk), Ids(literal)) << "round " << round;
        ASSERT_EQ(Ids(rankedBySort), Ids(literal)) << "round " << round;
        for (int other : {3, 1, 2, 0, 2, 3}) {
            literal.SetMode(other);
            literal.Sort();
            bulk.SetSortMode(static_cast<std::uint8_t>(other));
            bulk.Sort();
            ASSERT_EQ(Ids(bulk), Ids(literal)) << "round " << round << ", re-rank " << other;
        }
    }
}
