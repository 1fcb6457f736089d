// Mission analysis arithmetic (see mission-analysis.h).
#include "tools/mission-analysis.h"

#include "app/services/dataman.h"

#include <stdlib.h>
#include <string.h>

std::vector<int> AnalyzeWaves(const DMArray *waves, int starting_money, EntityWorthFn worth, void *context)
{
    std::vector<int> lines;
    if (!waves)
        return lines;
    long long total = starting_money;
    for (int i = 0; i < waves->GetSize(); i++) {
        const DMNode *node = waves->GetNode(i);
        const char *type = node->GetValue("type");
        if (!type || strcmp(type, "SPAWN") != 0)
            continue;
        lines.push_back((int)total);
        const char *num = node->GetValue("num");
        long long count = num ? atoi(num) : 1;
        const char *spawn_type = node->GetValue("spawn_type");
        int each = spawn_type && worth ? worth(spawn_type, context) : 0;
        total += count * each;
        if (total > 2147483647LL)
            total = 2147483647LL;
        if (total < -2147483647LL)
            total = -2147483647LL;
    }
    return lines;
}

int ReadStartingMoney(const DMDatabase &level)
{
    const char *v = level.GetValue("gameplay", "starting_money", "value");
    return v ? atoi(v) : 0;
}
