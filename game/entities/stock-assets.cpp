// The stock's set-up: the pool's records, the shared battle assets, the behaviours'
// registration table, and keeping the battle's bitmaps cached.
#include "game/entities/stock.h"

#include "game/entities/ai-enemies.h"
#include "game/entities/ai-pickup.h"
#include "game/entities/ai-projectiles.h"
#include "game/entities/ai-structures.h"
#include "game/entities/ai-trooper.h"
#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/entities/powerups.h"
#include "game/entities/weapons.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/ui/partfx.h"
#include "orvex.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

// One behaviour of the registration table: its name and how it is made.
template <class Behaviour>
static EntityAI *MakeBehaviour(const char *name)
{
    return new Behaviour(name);
}

struct BehaviourEntry {
    const char *name;
    EntityAI *(*make)(const char *name);
};

// Every behaviour an entity type may name, in registration order, each made as its own
// class ("Default" is the base behaviour).
static const BehaviourEntry kBehaviours[] = {
    {"Default", MakeBehaviour<EntityAI>},
    {"Player", MakeBehaviour<EntityAIPlayer>},
    {"Trooper", MakeBehaviour<EntityAITrooper>},
    {"BaseBunker", MakeBehaviour<EntityAIBaseBunker>},
    {"Seeker", MakeBehaviour<EntityAISeeker>},
    {"SeekerLeaper", MakeBehaviour<EntityAISeekerLeaper>},
    {"SeekerFlyer", MakeBehaviour<EntityAISeekerFlyer>},
    {"Splitter", MakeBehaviour<EntityAISplitter>},
    {"QuadSplitter", MakeBehaviour<EntityAIQuadSplitter>},
    {"Spawner", MakeBehaviour<EntityAISpawner>},
    {"BossSplitter", MakeBehaviour<EntityAIBossSplitter>},
    {"Mine", MakeBehaviour<EntityAIMine>},
    {"WaypointAttacker", MakeBehaviour<EntityAIWaypointAttacker>},
    {"HangAround", MakeBehaviour<EntityAIHangAround>},
    {"HiveMind", MakeBehaviour<EntityAIHiveMind>},
    {"Kamikaze", MakeBehaviour<EntityAIKamikaze>},
    {"Bullet", MakeBehaviour<EntityAIBullet>},
    {"Rocket", MakeBehaviour<EntityAIRocket>},
    {"RocketNapalm", MakeBehaviour<EntityAIRocketNapalm>},
    {"Flame", MakeBehaviour<EntityAIFlame>},
    {"Ice", MakeBehaviour<EntityAIIce>},
    {"Gas", MakeBehaviour<EntityAIGas>},
    {"Powerup", MakeBehaviour<EntityAIPowerup>},
};

static const char *const kShopIcons[Stock::NUM_SHOP_ICONS] = {
    "shop/minigunstandard.png", "shop/minigunpower.png",    "shop/minigunammo.png",
    "shop/minigundu.png",       "shop/minigunsawedoff.png", "shop/firebullets.png",
    "shop/shotgunstandard.png", "shop/shotgunsawedoff.png", "shop/shotgunpower.png",
    "shop/shotgunassault.png",  "shop/shotgunfire.png",     "shop/shotgunslug.png",
    "shop/bazookastandard.png", "shop/bazookarocket.png",   "shop/bazookamulti.png",
    "shop/bazookastream.png",   "shop/bazookanapalm.png",   "shop/bazookagrenades.png",
    "shop/pyrostandard.png",    "shop/pyropower.png",       "shop/pyrofreeze.png",
    "shop/pyrofiretrail.png",   "shop/pyrotoxygen.png",     "shop/pyroboom.png",
    "shop/sniperstandard.png",  "shop/sniperammo.png",      "shop/sniperrailgun.png",
    "shop/sniperrapid.png",     "shop/sniperexplosive.png", "shop/sniperalien.png",
};

static const char *const kBloodDecals[] = {
    "blood/blood-01.tga",
    "blood/blood-02.tga",
    "blood/blood-03.png",
    "blood/blood-06.tga",
};

// The types every battle caches, before the level's own.
static const char *const kFixedBattleTypes[] = {
    "BaseBunker", "MinigunTrooper", "BazookaTrooper", "ShotgunTrooper", "PyroTrooper", "SniperTrooper",
};

void Stock::Init(int num)
{
    InitPool(num);
    ClearRegistries();
    LoadSharedAssets();
    Powerup::LoadPowerups();
    RegisterBehaviours();
    for (int i = 0; i < NUM_LEAD_PROJECTILES; i++)
        lead_projectiles[i] = GetEntityType("ProjectileLead");
    num_blood_decals = 0;
    for (const char *name : kBloodDecals)
        blood_decals[num_blood_decals++] = ov->OV_GetBitmap(name);
    ResetEntities();
}

void Stock::LoadSharedAssets()
{
    bm_tactic_indicator = ov->OV_GetBitmap("game-ui/tactic-indicator.png");
    bm_incoming_enemies = ov->OV_GetBitmap("game-ui/incoming-enemies.png");
    bm_path_arrow = ov->OV_GetBitmap("game-ui/path-arrow.png");
    bm_entity_selector = ov->OV_GetBitmap("game-ui/entity-selector.png");
    bm_entity_target = ov->OV_GetBitmap("game-ui/entity-target.png");
    bm_pause_button = ov->OV_GetBitmap("ui/gfx/pause_button.png");
    bm_play_button = ov->OV_GetBitmap("ui/gfx/play_button.png");
    for (int i = 0; i < NUM_SHOP_ICONS; i++)
        bm_shop_icons[i] = ov->OV_LoadBitmap(kShopIcons[i], 4);
    fx_target_removed = pbman.GetFX("fxs/entity-target-removed.lua");
    fx_target = pbman.GetFX("fxs/entity-target.lua");
    fx_selector = pbman.GetFX("fxs/entity-selector.lua");
    fx_in_flames = pbman.GetFX("fxs/in-flames.lua");
    fx_artillery_strike = pbman.GetFX("fxs/artillery-strike.lua");
    fx_artillery_strike_light = pbman.GetFX("fxs/artillery-strike-light.lua");
    fx_star_lost[0] = pbman.GetFX("fxs/star-lost.lua");
    fx_star_lost[1] = pbman.GetFX("fxs/star-lost-2.lua");
    fx_star_lost[2] = pbman.GetFX("fxs/star-lost-3.lua");
    fx_egg_glow_exploding = pbman.GetFX("fxs/egg_glow_exploding.lua");
    fx_hilight_rank = pbman.GetFX("fxs/hilight-rank.lua");
    bm_reload_magazine = ov->OV_GetBitmap("game-ui/reload-magazine.png");
    bm_range_indicator = ov->OV_GetBitmap("game-ui/range_indicator.png");
    bm_reload_ammo = ov->OV_GetBitmap("game-ui/reload-ammo.png");
    bm_foot_glow_red = ov->OV_GetBitmap("fxs/foot-glow-red.png");
    bm_foot_glow = ov->OV_GetBitmap("fxs/foot-glow.png");
    bm_health_fore = ov->OV_GetBitmap("game-ui/health-foreground.png");
    bm_health_back = ov->OV_GetBitmap("game-ui/health-background.png");
    bm_bunker_health_fore = ov->OV_GetBitmap("game-ui/health-bunker-fore.png");
    bm_bunker_health_back = ov->OV_GetBitmap("game-ui/health-bunker-back.png");
    bm_red_target = ov->OV_GetBitmap("ui/gfx/red_target.png");
    bm_shell = ov->OV_GetBitmap("fxs/45degshell.png");
    // Fonts last.
    bool small = feature_man.ProductFeatureExists("SMALL_SCREEN");
    font_medium = ov->OV_GetFont(small ? "fonts/medium_2x.mft" : "fonts/medium.mft");
    font_large = ov->OV_GetFont(small ? "fonts/large_2x.mft" : "fonts/large.mft");
}

void Stock::RegisterBehaviours()
{
    for (const BehaviourEntry &entry : kBehaviours) {
        EntityAI *ai = entry.make(entry.name);
        if (!RegisterEntityAI(ai))
            delete ai;
    }
}

void Stock::CacheEntityType(EntityType *type, bool cache)
{
    CacheEntityTypeChain(type, cache, 0);
}

void Stock::CacheWeapon(Weapon *weapon, bool cache)
{
    if (weapon)
        CacheEntityTypeChain(weapon->projectile_entity, cache, 0);
}

void Stock::CacheEntityTypeChain(EntityType *type, bool cache, int depth)
{
    if (!type || depth > MAX_TYPES)
        return;
    if (!cache && type->cache_flags && strcasecmp(type->cache_flags, "KEEP_CACHED") == 0)
        return;
    int mode = cache ? 4 : 0;
    ov_bitmap_t *bitmaps[] = {type->bm_move, type->bm_move2, type->bm_die};
    for (ov_bitmap_t *b : bitmaps) {
        if (b)
            ov->OV_SetBitmapCacheMode(b, mode);
    }
    if (cache && type->weapon)
        CacheEntityTypeChain(type->weapon->projectile_entity, true, depth + 1);
}

void Stock::CacheGameAssets(const char *level_file, bool cache)
{
    if (!cache) {
        for (int i = 0; i < num_types; i++)
            CacheEntityType(types[i], false);
        return;
    }
    char name[512];
    snprintf(name, sizeof name, "%s", level_file ? level_file : "");
    DMDatabase *level = name[0] ? dman().GetDatabase(name) : nullptr;
    if (level && level->GetNumberOfArrays() == 0)
        level = nullptr;  // the registry keeps a failed load as an empty database
    if (!level)
        ov->OV_Popupf(1, "Unable to load level def '%s'\n", name);
    for (const char *type_name : kFixedBattleTypes)
        CacheEntityType(GetEntityType(type_name), true);
    DMArray *waves = level ? level->GetArray("waves") : nullptr;
    if (!waves)
        return;
    for (int i = 0; i < waves->GetSize(); i++) {
        const char *spawn_type = waves->GetNodeValue(i, "spawn_type");
        if (spawn_type)
            CacheEntityType(GetEntityType(spawn_type), true);
    }
}
