#include "Installation.h"

#include "Wav.h"

namespace {

constexpr const char* kEol = "\r\n";  // the game's data files come from Windows tools

}  // namespace

const IniDoc& VisibleIni(const GameObject& object, Edition edition) {
    return edition == Edition::Dat && object.rebalanced ? *object.rebalanced : object.ini;
}

Installation Assemble(const Catalogue& cat, Edition edition) {
    Installation inst;
    const bool dat = edition == Edition::Dat;
    // Under DAT the expansion's block and every file it ships again go to its archive.
    auto place = [&](bool expansion) -> std::vector<ArchiveFile>& {
        return dat && expansion ? inst.expansion : inst.base;
    };

    inst.base.push_back({"Data\\Settings.ini", cat.settings.Text(kEol)});
    inst.base.push_back({"Data\\Colors.ini", cat.colors.Text(kEol)});
    inst.base.push_back({"data\\bonus.ini", cat.BonusText(!dat)});
    inst.base.push_back({"data\\spells.ini", cat.spells.Text(kEol)});
    inst.base.push_back({"data\\spells_heroes.ini", cat.heroSpells.Text(kEol)});
    inst.base.push_back({"data\\technology.ini", cat.technology.Text(kEol)});
    inst.base.push_back({"data\\technology_guilds.ini", cat.guildTechnology.Text(kEol)});
    inst.base.push_back({"data\\objectdata\\components.ini", cat.ComponentsText(!dat, false)});
    inst.base.push_back({"Data\\Localized\\Strings_01.ini", cat.strings.File01()});
    inst.base.push_back({"Data\\Localized\\Strings_02.ini", cat.strings.File02(!dat)});

    for (const std::vector<GameObject>* list : {&cat.units, &cat.heroes, &cat.buildings}) {
        for (const GameObject& o : *list) {
            place(o.expansion).push_back({o.Path(), o.ini.Text(kEol)});
            if (dat && o.rebalanced && !o.expansion) inst.expansion.push_back({o.Path(), o.rebalanced->Text(kEol)});
        }
    }
    for (const Sample& s : cat.samples) place(s.expansion).push_back({s.Path(), MakeWav(s.tone)});

    if (dat) {
        inst.base.push_back({cat.retired.Path(), cat.retired.ini.Text(kEol)});
        inst.ignore.push_back(cat.retired.Path());
        inst.expansion.push_back({"Data\\Settings.ini", cat.rebalancedSettings->Text(kEol)});
        inst.expansion.push_back({"data\\bonus.ini", cat.BonusText(true)});
        inst.expansion.push_back({"data\\objectdata\\components.ini", cat.ComponentsText(true, true)});
        inst.expansion.push_back({"Data\\Localized\\Strings_02.ini", cat.strings.File02(true)});
    }
    return inst;
}
