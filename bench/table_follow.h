#pragma once

// Follows a sink recording through the one-second table and names every
// place where it leaves it. CompareWithTable in the tests stops at the first
// difference; a soak wants all of them, classified, with the phase picked up
// again after each one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TableEvent {
    enum Kind {
        Silence, // zeros inserted, the table carries on where it stopped: a starved sink
        Skip,    // the table jumps forward: samples lost
        Repeat,  // the table jumps back: samples played twice
        Foreign, // samples that are not the table at all
    };
    Kind kind;
    std::size_t at;     // tone sample index where it happens (0 = the table's sample 0)
    std::size_t length; // samples of silence, skipped, repeated or foreign
};

struct TableFollow {
    bool found = false;        // the recording holds a tone at all
    bool startsAtZero = false; // the tone starts with the table's sample 0
    std::size_t begin = 0;     // recording index of the tone's first sample
    std::size_t end = 0;       // one past its last non-zero sample
    std::size_t matched = 0;   // samples equal, bit for bit, to the table at the expected phase
    std::vector<TableEvent> events;
};

TableFollow FollowTable(const std::vector<float>& recording, const std::vector<float>& table);

const char* KindName(TableEvent::Kind kind);
std::string Describe(const TableFollow& f, double rate, std::size_t maxEvents = 20);
