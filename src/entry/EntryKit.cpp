#include "EntryKit.h"

#include "app/AppContext.h"

namespace kestrio {

EntryKit::EntryKit(AppContext& app)
    : pattern(app.Parameters().GetParam(BoxConverter::CustomPatternName(119))),
      converter(app.Time(), pattern),
      autoFill(app.DbOp(), app.Time(), pattern),
      entry(converter, autoFill)
{
}

} // namespace kestrio
