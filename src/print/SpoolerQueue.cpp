#include "SpoolerQueue.h"

#include <cups/cups.h>

#include <cstring>

namespace kestrio {

SpoolerQueue::Answer SpoolerQueue::FromAcceptingValue(const char* value)
{
    if (!value) return Answer::Unknown;
    if (std::strcmp(value, "true") == 0) return Answer::Accepts;
    if (std::strcmp(value, "false") == 0) return Answer::Refuses;
    return Answer::Unknown;
}

SpoolerQueue::Answer SpoolerQueue::QueueAccepts(const QString& printer)
{
    if (printer.isEmpty()) return Answer::Unknown;
    const QByteArray name = printer.toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest) return Answer::Unknown;
    const Answer answer =
        FromAcceptingValue(cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options));
    cupsFreeDests(1, dest);
    return answer;
}

SpoolerQueue::Answer SpoolerQueue::JobAccepted(const QString& printer, const QDateTime& since)
{
    if (printer.isEmpty()) return Answer::Unknown;
    const QByteArray name = printer.toUtf8();
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs(&jobs, name.constData(), 1, CUPS_WHICHJOBS_ALL);
    const cups_job_t* newest = nullptr;
    for (int i = 0; i < count; ++i)
        if (jobs[i].creation_time >= since.toSecsSinceEpoch() && (!newest || jobs[i].id > newest->id)) newest = &jobs[i];
    Answer answer = Answer::Unknown;
    if (newest)
        answer = newest->state == IPP_JSTATE_CANCELED || newest->state == IPP_JSTATE_ABORTED ? Answer::Refuses
                                                                                              : Answer::Accepts;
    cupsFreeJobs(count, jobs);
    return answer;
}

bool SpoolerQueue::CancelNewestJob(const QString& printer, const QDateTime& since)
{
    if (printer.isEmpty()) return false;
    const QByteArray name = printer.toUtf8();
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs(&jobs, name.constData(), 1, CUPS_WHICHJOBS_ACTIVE);
    int newest = 0;
    for (int i = 0; i < count; ++i)
        if (jobs[i].creation_time >= since.toSecsSinceEpoch() && jobs[i].id > newest) newest = jobs[i].id;
    cupsFreeJobs(count, jobs);
    return newest > 0 && cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), newest, 0) == IPP_STATUS_OK;
}

} // namespace kestrio
