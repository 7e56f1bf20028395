// A recording stand-in for the window's reporting procedures.
#ifndef PARTELLO_TESTS_FAKE_REPORT_H
#define PARTELLO_TESTS_FAKE_REPORT_H

#include <functional>
#include <string>
#include <vector>

struct FakeReport {
    // Every status text as shown, beeps recorded as "<beep>" in order.
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

#endif
