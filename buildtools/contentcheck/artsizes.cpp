// Pictures the data files name for slots of a fixed size: the screens lay them out at
// that size, so a picture of another size comes out stretched or cut. Shop icons
// ("icon" of "shop.xml") are 77 x 77, achievement icons and images 64 x 64, mission
// pictures ("pic" of "missions.xml") 480 x 270. Names that do not resolve are the
// name rules' problem, not this one's.
#include "contentcheck.h"

#include "app/services/dataman.h"

namespace contentcheck {

namespace {

struct Slot {
    const char *file, *array, *key;  // array null: every array of the file
    int width, height;
    const char *what;
};

const Slot kSlots[] = {
    {"shop.xml", "Upgrades", "icon", 77, 77, "the shop lays icons out"},
    {"achievements/achievements.xml", "ACHIEVEMENTS", "icon", 64, 64, "the achievements screen lays icons out"},
    {"achievements/achievements.xml", "ACHIEVEMENTS", "image", 64, 64, "the achievements screen lays images out"},
    {"missions.xml", nullptr, "pic", 480, 270, "the mission screens lay pictures out"},
};

void CheckArray(const Tree &tree, const Facts &facts, const Slot &slot, DMArray *a, Report *report)
{
    for (int i = 0; a && i < a->GetSize(); i++) {
        const DMNode *node = a->GetNode(i);
        const char *name = node->GetValue(slot.key);
        if (!name || !*name)
            continue;
        auto size = facts.image_sizes.find(tree.Resolve(name));
        if (size == facts.image_sizes.end())
            continue;
        if (size->second.first != slot.width || size->second.second != slot.height)
            report->Add(slot.file, Format("%s '%s' of '%s' is %d x %d (%s at %d x %d)", slot.key, name,
                                          node->id ? node->id : "", size->second.first, size->second.second,
                                          slot.what, slot.width, slot.height));
    }
}

}  // namespace

void CheckArtSizes(const Tree &tree, const Facts &facts, Report *report)
{
    for (const Slot &slot : kSlots) {
        if (!tree.Has(slot.file))
            continue;
        DMDatabase *db = dman().GetDatabase(Engine::Name(slot.file).c_str());
        if (!db)
            continue;
        if (slot.array) {
            CheckArray(tree, facts, slot, db->GetArray(slot.array), report);
            continue;
        }
        for (int i = 0; i < db->GetNumberOfArrays(); i++)
            CheckArray(tree, facts, slot, db->GetArray(i), report);
    }
}

}  // namespace contentcheck
