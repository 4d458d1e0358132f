#pragma once

#include "convert/BoxConverter.h"
#include "entry/AutoFill.h"
#include "entry/DataEntry.h"

#include <QString>

namespace kestrio {

class AppContext;

// The converter, automatic filling and data entry as the program's settings make them (the
// custom date pattern of type 119), built together for one piece of work.
struct EntryKit {
    explicit EntryKit(AppContext& app);

    QString pattern;
    BoxConverter converter;
    AutoFill autoFill;
    DataEntry entry;
};

} // namespace kestrio
