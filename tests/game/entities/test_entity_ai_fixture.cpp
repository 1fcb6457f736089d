// The behaviour base's test set-up (see test_entity_ai_fixture.h).
#include "tests/game/entities/test_entity_ai_fixture.h"

#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/vector-field.h"

#include <deque>

namespace aitest {

const char *const kEntityTypes =
    "<node id=\"Grunt\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"100\" radius=\"10\" "
    "aggro_radius=\"200\" damage=\"7\" scale=\"1\"/>\n"
    "<node id=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" radius=\"10\" "
    "aggro_radius=\"300\" damage=\"5\" scale=\"1\"/>\n"
    "<node id=\"BaseBunker\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\" hit_points=\"1000\" "
    "radius=\"40\" scale=\"1\"/>\n"
    "<node id=\"MedTent\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\" hit_points=\"200\" "
    "radius=\"30\" scale=\"1\"/>\n"
    "<node id=\"Wall\" flags=\"BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\" hit_points=\"500\" radius=\"40\" "
    "scale=\"1\"/>\n"
    "<node id=\"Powerup\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" hit_points=\"1\" "
    "radius=\"20\" scale=\"1\"/>\n";

namespace {

std::deque<int> script;
int script_fallback = 16383;
int draws_taken = 0;

int ScriptedRandom() {
    draws_taken++;
    if (script.empty()) {
        return script_fallback;
    }
    int value = script.front();
    script.pop_front();
    return value;
}

std::vector<PlayedSound> played;

long RecordPlaySound(ov_sound_t *sound, float volume, float pan, float frequency) {
    (void)pan;
    played.push_back({sound, volume, frequency});
    return 1;
}

}  // namespace

void ScriptRandom(const std::vector<int> &values, int fallback) {
    script.assign(values.begin(), values.end());
    script_fallback = fallback;
    draws_taken = 0;
    AppSetRandomSource(ScriptedRandom);
}

int RandomDrawsTaken() {
    return draws_taken;
}

Scape *EntityAITest::StartWorld(const std::string &weapons, const std::string &powerups,
                                const std::string &entities) {
    StartGame();
    WriteEntities(entities);
    WriteWeapons(weapons);
    WritePowerups(powerups);
    AppSeedRandom(7);
    Scape *built = MakeWorld();
    if (built->vector_field != nullptr) {
        built->vector_field->Clear();
    }
    played.clear();
    ov->OV_PlaySound = RecordPlaySound;  // the engine table is restored after the test
    SetSecondTick(false);
    upgrades = Upgrades();
    ai = built->stock->GetEntityAI("Default");
    return built;
}

Entity *EntityAITest::Spawn(const char *type_name, vec2_t p) {
    EntityType *type = world->stock->GetEntityType(type_name);
    return type != nullptr ? world->SpawnEntity(type, p) : nullptr;
}

void EntityAITest::SetSecondTick(bool tick) {
    sman.prev_time_ms = tick ? 999 : 1500;
    sman.time_ms = tick ? 1000 : 1500;
}

void EntityAITest::FillField(vec2_t v) {
    VectorField *field = world->vector_field;
    for (int i = 0; i < field->width * field->height; i++) {
        field->cells[i] = v;
    }
}

std::vector<PlayedSound> &EntityAITest::Played() {
    return played;
}

void EntityAITest::TearDown() {
    AppSetRandomSource(nullptr);
    script.clear();
    controls.targets.Clear();
    upgrades = Upgrades();
    gametest::GameTest::TearDown();
}

}  // namespace aitest
