#include "Shortcuts.h"

#include "ui/ControlIds.h"

const Shortcut Shortcuts[7] = {
    {CommandId::NewTheme, "Ctrl+N", Shortcut::Scope::Menu},
    {CommandId::OpenTheme, "Ctrl+O", Shortcut::Scope::Menu},
    {CommandId::SaveTheme, "Ctrl+S", Shortcut::Scope::Menu},
    {CommandId::Exit, "Ctrl+Q", Shortcut::Scope::Menu},
    {CommandId::PopupPlay, "Space", Shortcut::Scope::List},
    {CommandId::PopupChange, "F2", Shortcut::Scope::Window},
    {CommandId::PopupNoSound, "Del", Shortcut::Scope::Window},
};

std::string menuText(const std::string& text, int command) {
    for (const Shortcut& shortcut : Shortcuts)
        if (shortcut.command == command)
            return text + "\t" + shortcut.accelerator;
    return text;
}
