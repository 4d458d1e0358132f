// Two-digit years: 00–29 are this century, 30–99 the last, at both edges of the window.
#include "QtPrinters.h"
#include "convert/DateText.h"
#include "seams/Clock.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

TEST(TwoDigitYear, WindowEdges)
{
    FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    DateText dates(clock);
    const struct {
        const char* typed;
        const char* shown;
    } cases[] = {
        {"29-3-5", "2029-03-05"}, {"30-3-5", "1930-03-05"}, {"00-1-1", "2000-01-01"},
        {"99-12-31", "1999-12-31"}, {"29/2/28", "2029-02-28"}, {"30.2.28", "1930-02-28"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dates.FormatDateAs(QString::fromUtf8(c.typed), QStringLiteral("YYYY-MM-DD")), QString::fromUtf8(c.shown))
            << c.typed;
}

} // namespace
} // namespace kestrio
