#include "app/ProgramArt.h"

#include <array>

// Resources of a static library are registered by hand; outside any namespace, as the macro needs.
static void registerProgramArt()
{
    Q_INIT_RESOURCE(pagewell_resources);
}

namespace {

QIcon iconFromResource(const char* name)
{
    static const bool registered = (registerProgramArt(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/icons/") + QLatin1String(name));
}

} // namespace

QIcon toolBarIcon(int index)
{
    static constexpr std::array<const char*, 9> names = {"open-file.svg",  "add-folder.svg",  "close-file.svg",
                                                         "clean-list.svg", "move-down.svg",   "exit.svg",
                                                         "move-up.svg",    "rotate-left.svg", "rotate-right.svg"};
    if (index < 0 || index >= int(names.size())) {
        return {};
    }
    return iconFromResource(names[static_cast<size_t>(index)]);
}

QIcon convertIcon()
{
    return iconFromResource("convert.svg");
}

QIcon programIcon()
{
    return iconFromResource("pagewell.svg");
}
