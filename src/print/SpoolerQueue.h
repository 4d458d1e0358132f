#pragma once

#include <QDateTime>
#include <QString>

namespace kestrio {

// What the print spooler says about a queue and the jobs in it. The printing library does
// not report a job the spooler refused, so the bill printer asks here before a bill counts
// as printed.
class SpoolerQueue {
public:
    enum class Answer { Accepts, Refuses, Unknown };

    // Whether the queue named `printer` takes new jobs ("printer-is-accepting-jobs");
    // Unknown when the spooler does not know the queue or cannot be asked.
    static Answer QueueAccepts(const QString& printer);
    // Whether this user's newest job on the queue, submitted at `since` or later, was
    // cancelled or aborted by the spooler; Unknown when there is no such job to ask about.
    static Answer JobAccepted(const QString& printer, const QDateTime& since);

    // Cancels this user's newest job on the queue submitted at `since` or later (a job the
    // printing library sent although it was abandoned); false when there is none to cancel.
    static bool CancelNewestJob(const QString& printer, const QDateTime& since);

    // The answer to a "printer-is-accepting-jobs" value.
    static Answer FromAcceptingValue(const char* value);
};

} // namespace kestrio
