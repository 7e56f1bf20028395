#include "fake_report.h"

#include "engine/messages.h"
#include "engine/report.h"

static FakeReport g_fake;

FakeReport &Fake() { return g_fake; }

void ResetFake() { g_fake = FakeReport(); }

std::vector<std::string> FakeReport::Statuses() const
{
    std::vector<std::string> statuses;
    for (const std::string &event : events)
        if (event != "<beep>") statuses.push_back(event);
    return statuses;
}

std::string FakeReport::LastStatus() const
{
    std::vector<std::string> statuses = Statuses();
    return statuses.empty() ? std::string() : statuses.back();
}

int FakeReport::Beeps() const
{
    int beeps = 0;
    for (const std::string &event : events) beeps += event == "<beep>";
    return beeps;
}

void SetStatus(const char *text) { g_fake.events.push_back(std::string(" ") + (text ? text : "")); }

void ReportFailure(const char *text, const char *path, int)
{
    g_fake.errorFiles.push_back(path ? path : "");
    SetStatus(text);
    g_fake.events.push_back("<beep>");
}

void NoteNotDeleted(const char *path, int) { g_fake.notDeleted.push_back(path); }

void NoteUnverified(const char *) { g_fake.unverified++; }
void ReportProgress(int, int, int64_t, int64_t) {}

bool CancelProbe()
{
    int call = ++g_fake.probeCalls;
    if (g_fake.cancelAt && g_fake.cancelAt(call)) {
        ShowMessage(MSG_CANCELLED);
        return true;
    }
    return false;
}

void *ShowWaitCursor()
{
    g_fake.cursorDepth++;
    return &g_fake;
}

void RestoreCursor(void *) { g_fake.cursorDepth--; }
