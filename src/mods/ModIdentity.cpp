#include "mods/ModIdentity.h"

std::span<const ModIdentityField> ModIdentityFields() {
    static const ModIdentityField kFields[] = {
        {"mod_name", nullptr, &ModIdentity::modName, true, true, true},
        {"access_code", nullptr, &ModIdentity::accessCode, true, true, true},
        {"two_character_identifier", "TwoCharacterIdentifier", &ModIdentity::twoCharacterId, true, true, true},
        {"version", "Version", &ModIdentity::savedVersion, true, true, false},
        {"author", "Author", &ModIdentity::author, true, true, true},
        {"author_www", "Author_www", &ModIdentity::authorWww, true, true, true},
        {"author_email", "Author_email", &ModIdentity::authorEmail, true, true, true},
        {"dravik_version", "DravikVersion", &ModIdentity::gameVersion, true, false, false},
        {"brix_version", "BrixVersion", &ModIdentity::programVersion, true, false, false},
        {"author_comments", "Comments", &ModIdentity::comments, true, true, false},
    };
    return kFields;
}
