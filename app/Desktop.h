#pragma once

#include "app/AppServices.h"
#include "platform/PropertyStore.h"

// The window's doors to the desktop, owned together and handed to the window in this one place. main.cpp holds
// the real doors; the tests and the bench hold scripted ones.
template <typename Dialogs, typename Messages, typename Opener, typename ClockType, typename SkinType> struct Desktop
{
    Dialogs dialogs;
    Messages messages;
    Opener opener;
    ClockType clock;
    SkinType skin;
    MemoryPropertyStore previewStore;

    // The services for a window whose runs make their stages with makeStages; the folders are left to the caller.
    [[nodiscard]] AppServices services(StagesFactory makeStages)
    {
        AppServices services;
        services.dialogs = &dialogs;
        services.messages = &messages;
        services.opener = &opener;
        services.clock = &clock;
        services.skin = &skin;
        services.previewStore = &previewStore;
        services.makeStages = std::move(makeStages);
        return services;
    }
};
