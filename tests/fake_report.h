// A recording stand-in for the front ends' reporting procedures.
#ifndef PARTELLO_TESTS_FAKE_REPORT_H
#define PARTELLO_TESTS_FAKE_REPORT_H

#include <functional>
#include <string>
#include <vector>

struct FakeReport {
    // Every event as Said() writes it, each error followed by "<beep>".
    std::vector<std::string> events;
    std::vector<std::string> errorFiles;  // named by each error, "" for none
    std::vector<std::string> notDeleted;
    int unverified = 0;  // joins that had no checksum file
    int probeCalls = 0;
    int cursorDepth = 0;  // wait cursors put up and not yet restored
    // Decides the probe's answer for its n-th call (counting from 1).
    std::function<bool(int call)> cancelAt;

    std::vector<std::string> Statuses() const;  // events without beeps
    std::string LastStatus() const;
    int Beeps() const;
};

// The one fake all reporting goes to; Reset() before each test.
FakeReport &Fake();
void ResetFake();

// An event as the fake records it: the message id, then the part number or
// what the message names.
std::string Said(int message);
std::string Said(int message, long long part);
std::string Said(int message, const std::string &subject);

#endif
