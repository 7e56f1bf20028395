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

std::string Said(int message) { return "#" + std::to_string(message); }
std::string Said(int message, long long part) { return Said(message) + " " + std::to_string(part); }
std::string Said(int message, const std::string &subject) { return Said(message) + " " + subject; }

void ReportStep(int message, int part) { g_fake.events.push_back(part ? Said(message, part) : Said(message)); }

void ReportOutcome(const EngineEvent *event)
{
    g_fake.events.push_back(event->subject ? Said(event->message, event->subject) : Said(event->message));
}

void ReportFailure(const EngineEvent *event)
{
    g_fake.errorFiles.push_back(event->path ? event->path : "");
    ReportOutcome(event);
    g_fake.events.push_back("<beep>");
}

void NoteNotDeleted(const char *path, int) { g_fake.notDeleted.push_back(path); }
void NoteNotCopied(const char *, int) {}

void NoteUnverified(const char *) { g_fake.unverified++; }
void ReportProgress(int, int, int64_t, int64_t) {}

bool CancelProbe()
{
    int call = ++g_fake.probeCalls;
    if (g_fake.cancelAt && g_fake.cancelAt(call)) {
        ShowOutcome(MSG_CANCELLED);
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
