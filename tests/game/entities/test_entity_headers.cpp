// The entity headers compile together and the record keeps the shape the pool relies on.
#include "game/entities/angles.h"
#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"

#include <gtest/gtest.h>

#include <type_traits>

static_assert(std::is_trivially_copyable<Entity>::value, "records are copied field by field");
static_assert(std::is_trivial<Entity>::value, "the pool hands out records without construction");
static_assert(std::is_standard_layout<Entity>::value, "plain record");
static_assert(std::is_trivially_copyable<SoundSet>::value, "sound sets are plain data");
static_assert(std::has_virtual_destructor<EntityType>::value, "the registry deletes through the base");
static_assert(std::has_virtual_destructor<EntityAI>::value, "the registry deletes through the base");
static_assert(std::is_base_of<EntityType, EntityTypeStructure>::value, "variant");
static_assert(std::is_base_of<EntityType, EntityTypePowerup>::value, "variant");
static_assert(std::is_base_of<EntityType, EntityTypePowerupParachute>::value, "variant");
static_assert(std::is_base_of<EntityType, EntityTypeProjectileFlame>::value, "variant");
static_assert(std::is_base_of<EntityType, EntityTypeProjectileSimple>::value, "variant");
static_assert(std::is_base_of<EntityType, EntityTypeProjectileTrailed>::value, "variant");

TEST(EntityRecord, AliveExactlyInStateOne)
{
    Entity e = {};
    const struct { uint16_t state; bool alive; } cases[] = {{0, false}, {1, true}, {2, false}, {3, false}};
    for (const auto &c : cases) {
        e.state = c.state;
        EXPECT_EQ(c.alive, e.IsAlive()) << "state " << c.state;
    }
}

TEST(EntityRecord, SoundSetStartsEmptyWithDefaultRanges)
{
    SoundSet set;
    EXPECT_EQ(0, set.count);
    EXPECT_FLOAT_EQ(0.9f, set.vol_min);
    EXPECT_FLOAT_EQ(1.0f, set.vol_max);
    EXPECT_FLOAT_EQ(0.9f, set.pitch_min);
    EXPECT_FLOAT_EQ(1.1f, set.pitch_max);
    for (int i = 0; i < SoundSet::MAX_SOUNDS; i++)
        EXPECT_EQ(nullptr, set.sounds[i]);
}
