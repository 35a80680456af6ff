// A family's live records whose addresses are the script's handles. A record is a list node: it
// never moves while it lives (sorting relinks nodes), so its address stays a valid handle until it
// is removed. A handle is checked and found through an index of the addresses in one lookup, never
// by reading through it.
#pragma once

#include <cstdint>
#include <list>
#include <unordered_map>

template <typename Record>
struct RecordList {
    std::list<Record> records;
    std::unordered_map<uintptr_t, typename std::list<Record>::iterator> byAddress;
    // The last record found: scripts call commands on one record many times in a row.
    Record* lastFound = nullptr;
};

template <typename Record>
int HandleOf(const Record& record)
{
    return static_cast<int>(reinterpret_cast<uintptr_t>(&record));
}

// The live record `handle` names, or null for any other value (never made, removed, or anything).
template <typename Record>
Record* FindRecord(RecordList<Record>& list, int handle)
{
    if (list.lastFound && HandleOf(*list.lastFound) == handle)
        return list.lastFound;
    auto found = list.byAddress.find(static_cast<uint32_t>(handle));
    return found == list.byAddress.end() ? nullptr : (list.lastFound = &*found->second);
}

// Frees every record and the index's memory: clear() would keep the index's bucket array, and an
// empty list holds no memory.
template <typename Record>
void EmptyRecordList(RecordList<Record>& list)
{
    list.records.clear();
    list.byAddress = decltype(list.byAddress){};
    list.lastFound = nullptr;
}

// Appends `fresh` at the end. The record is linked and indexed together or not at all: without
// memory for either, std::bad_alloc goes on to the caller with the list as it was.
template <typename Record>
Record& AppendRecord(RecordList<Record>& list, Record&& fresh)
{
    auto place = list.records.insert(list.records.end(), std::move(fresh));
    try {
        list.byAddress.emplace(reinterpret_cast<uintptr_t>(&*place), place);
    } catch (...) {
        list.records.erase(place);
        if (list.records.empty())
            EmptyRecordList(list);
        throw;
    }
    return *place;
}

// Unlinks `record`, one of the list's, and frees it.
template <typename Record>
void RemoveRecord(RecordList<Record>& list, Record& record)
{
    auto found = list.byAddress.find(reinterpret_cast<uintptr_t>(&record));
    if (found == list.byAddress.end())
        return;
    if (list.lastFound == &record)
        list.lastFound = nullptr;
    list.records.erase(found->second);
    list.byAddress.erase(found);
    if (list.records.empty())
        EmptyRecordList(list);
}
