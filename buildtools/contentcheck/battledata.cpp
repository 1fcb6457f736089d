// The battle's data files against each other and against the code: "entities.xml"
// (behaviours, variants, groups, the weapon layer, commanded types, the types the code
// names), "weapons.xml" (names, projectiles, parents, the weapons the code names),
// "powerups.xml" (the ids the code and the pick-up types name) and "shop.xml" (REARM
// ids). Each rule runs when its files are in the tree.
#include "contentcheck.h"
#include "dbread.h"

#include "app/services/dataman.h"

namespace contentcheck {

namespace {

bool Has(const DMArray *a, const std::string &id)
{
    return a && a->GetNode(id.c_str()) != nullptr;
}

const char *const kBehaviours[] = {"Default", "Player", "Trooper", "BaseBunker", "Seeker", "SeekerLeaper",
                                   "SeekerFlyer", "Splitter", "QuadSplitter", "Spawner", "BossSplitter", "Mine",
                                   "WaypointAttacker", "HangAround", "HiveMind", "Kamikaze", "Bullet", "Rocket",
                                   "RocketNapalm", "Flame", "Ice", "Gas", "Powerup"};
const char *const kVariants[] = {"ProjectileTrailed", "ProjectileSimple", "ProjectileFlame", "Structure", "Powerup",
                                 "PowerupParachute"};
// Types the game's code asks the stock for by name.
const char *const kCodeTypes[] = {"BaseBunker",     "BaseLauncher",   "BasePowerPlant",  "MedTent",
                                  "MinigunTrooper", "ShotgunTrooper", "BazookaTrooper",  "PyroTrooper",
                                  "SniperTrooper",  "UnarmedTrooper", "AlienPet",        "Hound",
                                  "ProjectileFlame", "ProjectileLead", "Powerup",        "PowerupParachute",
                                  "PowerupScore",   "PowerupHealth",  "PowerupSuperWeapon"};
// Weapons the code names: those it arms or fires itself, and those whose kills it counts
// as burns, gas or blasts.
const char *const kCodeWeapons[] = {"FireTrail",          "PyroGas",           "PyroDeathwish", "RocketLauncher",
                                    "AlienPlasmGun",      "BazookaBoom",       "MinigunFireBullets",
                                    "ShotgunFirePellets", "BazookaNapalm",     "Pyro",          "PyroPower"};
// Power-ups the code looks up by id.
const char *const kCodePowerups[] = {"POWERUP_HEALTH", "POWERUP_MONEY", "POWERUP_BOOM"};

bool Among(const std::string &s, const char *const *list, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (s == list[i])
            return true;
    return false;
}

void CheckEntities(DMArray *ents, DMArray *weps, DMArray *pows, Report *report)
{
    const char rel[] = "entities.xml";
    if (ents->GetSize() > 96)
        report->Add(rel, Format("has %d types (at most 96)", ents->GetSize()));
    std::set<std::string> used;
    for (int i = 0; i < ents->GetSize(); i++) {
        DMNode *n = ents->GetNode(i);
        std::string id = Id(n), ai = Value(n, "ai"), type = Value(n, "type");
        if (!Among(ai, kBehaviours, sizeof kBehaviours / sizeof *kBehaviours))
            report->Add(rel, Format("type '%s' has unknown behaviour '%s'", id.c_str(), ai.c_str()));
        used.insert(ai);
        if (!type.empty() && !Among(type, kVariants, sizeof kVariants / sizeof *kVariants))
            report->Add(rel, Format("type '%s' has unknown variant '%s'", id.c_str(), type.c_str()));
        bool pickup = Value(n, "flags").find("POWERUP") != std::string::npos;
        if (pickup && Value(n, "friend_group") != "PLAYERS")
            report->Add(rel,
                        Format("pick-up '%s' is not in group PLAYERS (troopers could not collect it)", id.c_str()));
        std::string weapon = Value(n, "weapon");
        if (!weapon.empty() && weps && !Has(weps, weapon))
            report->Add(rel, Format("type '%s' has unknown weapon '%s'", id.c_str(), weapon.c_str()));
        // The plain type draws its second sprite turned by the aim plus "barrel_angle",
        // which is 1 rad when absent: the gun would point off the aim.
        if (type.empty() && n->GetValue("bm_move2") && !n->GetValue("barrel_angle"))
            report->Add(rel, Format("type '%s' has a weapon layer but no \"barrel_angle\"", id.c_str()));
        std::string commanded = Value(n, "controls_entities");
        if (!commanded.empty() && !Has(ents, commanded))
            report->Add(rel, Format("type '%s' controls unknown type '%s'", id.c_str(), commanded.c_str()));
        std::string parm = Value(n, "ai_parm_str");
        if (pickup && pows && !parm.empty() && parm != "RANDOM" && !Has(pows, parm))
            report->Add(rel, Format("pick-up '%s' carries unknown power-up '%s'", id.c_str(), parm.c_str()));
    }
    for (const char *b : kBehaviours)
        if (!used.count(b))
            report->Add(rel, Format("no type uses behaviour '%s'", b));
    for (const char *t : kCodeTypes)
        if (!Has(ents, t))
            report->Add(rel, Format("has no type '%s' (the game's code uses it)", t));
}

void CheckWeapons(DMArray *weps, DMArray *ents, Report *report)
{
    const char rel[] = "weapons.xml";
    if (weps->GetSize() > 64)
        report->Add(rel, Format("has %d weapons (at most 64)", weps->GetSize()));
    for (int i = 0; i < weps->GetSize(); i++) {
        DMNode *n = weps->GetNode(i);
        std::string id = Id(n);
        if (id.find('_') != std::string::npos)
            report->Add(rel, Format("weapon '%s' has a '_' (REARM tokens split at it)", id.c_str()));
        std::string projectile = Value(n, "projectile_entity"), parent = Value(n, "inherit");
        if (!projectile.empty() && ents && !Has(ents, projectile))
            report->Add(rel, Format("weapon '%s' fires unknown type '%s'", id.c_str(), projectile.c_str()));
        if (!parent.empty() && !Has(weps, parent))
            report->Add(rel, Format("weapon '%s' inherits unknown weapon '%s'", id.c_str(), parent.c_str()));
        if (Value(n, "projectile_class") == "ENTITY" && projectile.empty())
            report->Add(rel, Format("weapon '%s' lays entities but names no \"projectile_entity\"", id.c_str()));
    }
    for (const char *w : kCodeWeapons)
        if (!Has(weps, w))
            report->Add(rel, Format("has no weapon '%s' (the game's code uses it)", w));
}

void CheckPowerups(DMArray *pows, Report *report)
{
    const char rel[] = "powerups.xml";
    for (int i = 0; i < pows->GetSize(); i++) {
        DMNode *n = pows->GetNode(i);
        if (Value(n, "id") != Id(n))
            report->Add(rel, Format("power-up '%s' has no matching \"id\" key (the loader skips it)", Id(n).c_str()));
    }
    for (const char *p : kCodePowerups)
        if (!Has(pows, p))
            report->Add(rel, Format("has no power-up '%s' (the game's code uses it)", p));
    if (Has(pows, "POWERUP_HEALTH") && !pows->GetNode("POWERUP_HEALTH")->GetValue("fx_activate"))
        report->Add(rel, "power-up 'POWERUP_HEALTH' has no \"fx_activate\"");
}

// "REARM_<type>_<weapon>": a real trooper type, a real weapon, and the type upgraded.
void CheckRearms(DMArray *shop, DMArray *ents, DMArray *weps, Report *report)
{
    for (int i = 0; i < shop->GetSize(); i++) {
        DMNode *n = shop->GetNode(i);
        std::string id = Id(n);
        if (id.compare(0, 6, "REARM_") != 0)
            continue;
        size_t cut = id.find('_', 6);
        std::string type = cut == std::string::npos ? id.substr(6) : id.substr(6, cut - 6);
        std::string weapon = cut == std::string::npos ? "" : id.substr(cut + 1);
        if (cut == std::string::npos || weapon.empty() || weapon.find('_') != std::string::npos)
            report->Add("shop.xml", Format("'%s' is not REARM_<type>_<weapon>", id.c_str()));
        else if (ents && !Has(ents, type))
            report->Add("shop.xml", Format("'%s' names unknown type '%s'", id.c_str(), type.c_str()));
        else if (ents && Value(ents->GetNode(type.c_str()), "ai") != "Trooper")
            report->Add("shop.xml", Format("'%s' rearms '%s', which is no trooper", id.c_str(), type.c_str()));
        else if (weps && !Has(weps, weapon))
            report->Add("shop.xml", Format("'%s' names unknown weapon '%s'", id.c_str(), weapon.c_str()));
        else if (Value(n, "upgraded_ent_types") != type)
            report->Add("shop.xml", Format("'%s' has \"upgraded_ent_types\" '%s' (the type it rearms is '%s')",
                                           id.c_str(), Value(n, "upgraded_ent_types").c_str(), type.c_str()));
    }
}

}  // namespace

void CheckBattleData(const Tree &tree, Report *report)
{
    DMArray *ents = Array(tree, "entities.xml", "entities");
    DMArray *weps = Array(tree, "weapons.xml", "weapons");
    DMArray *pows = Array(tree, "powerups.xml", "powerups");
    DMArray *shop = Array(tree, "shop.xml", "Upgrades");
    if (tree.Has("entities.xml") && !ents)
        report->Add("entities.xml", "has no array \"entities\"");
    if (tree.Has("weapons.xml") && !weps)
        report->Add("weapons.xml", "has no array \"weapons\"");
    if (tree.Has("powerups.xml") && !pows)
        report->Add("powerups.xml", "has no array \"powerups\"");
    if (tree.Has("shop.xml") && !shop)
        report->Add("shop.xml", "has no array \"Upgrades\"");
    if (ents)
        CheckEntities(ents, weps, pows, report);
    if (weps)
        CheckWeapons(weps, ents, report);
    if (pows)
        CheckPowerups(pows, report);
    if (shop)
        CheckRearms(shop, ents, weps, report);
}

}  // namespace contentcheck
