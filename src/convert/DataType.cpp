#include "DataType.h"

#include "BoxConverter.h"

namespace kestrio {

bool DataType::IsCapitalAmount(double code)
{
    const int w = BoxConverter::WholeCode(code);
    return w == 103 || w == 120 || w == 114 || w == 121;
}

bool DataType::IsDate(double code)
{
    return IsCapitalDatePart(code) || IsArabicDatePart(code) || IsWholeDate(code) || BoxConverter::WholeCode(code) == 119;
}

bool DataType::IsWholeDate(double code)
{
    const int w = BoxConverter::WholeCode(code);
    return w >= 110 && w <= 113;
}

bool DataType::IsCapitalDatePart(double code)
{
    const int w = BoxConverter::WholeCode(code);
    return w >= 100 && w <= 102;
}

bool DataType::IsArabicDatePart(double code)
{
    const int w = BoxConverter::WholeCode(code);
    return w >= 106 && w <= 108;
}

} // namespace kestrio
