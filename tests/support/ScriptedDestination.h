#pragma once

#include "print/PrintDestination.h"

#include <QMarginsF>

#include <optional>

namespace kestrio::test {

// A print destination whose answers a test sets: whether the printer choice is confirmed
// (and how often it was asked), whether it writes one file, the printer's unprintable
// edges, and how many times the spooler takes the job before refusing it (−1: always).
class ScriptedDestination final : public PrintDestination {
public:
    explicit ScriptedDestination(PrintSurface& surface) : mSurface(surface) {}

    bool ChoosePrinter() override
    {
        ++asked;
        return confirms;
    }
    PrintSurface& Surface() override { return mSurface; }
    void InstallPaperForm(double, double) override {}
    bool WritesOneFile() const override { return oneFile; }
    bool JobAccepted() override { return acceptedChecks < 0 || acceptedChecks-- > 0; }
    std::optional<QMarginsF> UnprintableMarginsMm() const override { return unprintable; }

    bool confirms = true;
    int asked = 0;
    bool oneFile = false;
    int acceptedChecks = -1;
    std::optional<QMarginsF> unprintable;

private:
    PrintSurface& mSurface;
};

} // namespace kestrio::test
