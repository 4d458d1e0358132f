#pragma once

#include "print/PrintSurface.h"

#include <QMarginsF>
#include <QString>

#include <optional>

namespace kestrio {

// Where the pages of a print job go: a printer chosen by the user, a print preview, a PDF or
// an image. The bill printer asks it for the printer before a job and for a paper of the
// format's size; everything else goes through its surface.
class PrintDestination {
public:
    virtual ~PrintDestination() = default;

    // The printer choice before a job. False when the user cancelled or the printer cannot be
    // used; the destination has told the user why.
    virtual bool ChoosePrinter() = 0;

    // The surface the pages are drawn on.
    virtual PrintSurface& Surface() = 0;

    // "自动设置纸张": the following pages are widthMm × heightMm. A destination that cannot do it
    // tells the user and printing goes on with the paper as it was.
    virtual void InstallPaperForm(double widthMm, double heightMm) = 0;

    // True when the chosen printer writes a file: the pages of several bills then go into one
    // job, since every new job would replace the file.
    virtual bool WritesOneFile() const { return false; }
    // Whether the spooler takes the job: asked before a bill is printed and again once the
    // job is handed over, before the bill is stored as printed. A destination without a
    // spooler takes every job.
    virtual bool JobAccepted() { return true; }
    // The edges of the paper in the printer that it cannot print on, in millimetres of the
    // current page; nullopt for a page made to the bill's size (a PDF, a picture), where the
    // bill always fits.
    virtual std::optional<QMarginsF> UnprintableMarginsMm() const { return std::nullopt; }

    // After a job has been handed over whole: a destination that wrote a file may finish it.
    virtual void JobFinished() {}
    // A job that did not end whole (cancelled between bills, a bill refused or failed): none
    // of its pages may reach the paper. A destination whose pages only count once the job
    // ends (a file the caller writes, a recording) has nothing to do.
    virtual void AbandonJob() {}

    // The name the print queue (and a PDF printer's file) shows for the coming job.
    virtual void SetJobTitle(const QString&) {}
};

// A destination without a choice to make: a PDF, an image, a preview page or a test's
// recording. Its page size is fixed when it is made.
class FixedDestination final : public PrintDestination {
public:
    explicit FixedDestination(PrintSurface& surface) : mSurface(surface) {}
    bool ChoosePrinter() override { return true; }
    PrintSurface& Surface() override { return mSurface; }
    void InstallPaperForm(double, double) override {}

private:
    PrintSurface& mSurface;
};

} // namespace kestrio
