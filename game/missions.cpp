// Look-ups in "missions.xml" and "ranks.xml".
#include "game/missions.h"

#include "app/services/dataman.h"

#include <ctype.h>
#include <stdlib.h>

#include <string>

DMNode *MissionNode(const char *mission_id)
{
    if (!mission_id)
        return nullptr;
    DMDatabase *missions = dman().GetDatabase("missions.xml");
    for (int a = 0; missions && a < missions->GetNumberOfArrays(); a++) {
        DMArray *array = missions->GetArray(a);
        if (DMNode *node = array ? array->GetNode(mission_id) : nullptr)
            return node;
    }
    return nullptr;
}

DMArray *RankArray(const char *category)
{
    std::string name = std::string("ranks_") + (category ? category : "");
    for (char &c : name)
        c = (char)tolower((unsigned char)c);
    return dman().GetArray("ranks.xml", name.c_str());
}

int RankLimit(const char *category, int index)
{
    DMArray *ranks = RankArray(category);
    if (!ranks || ranks->GetSize() <= 0)
        return 0;
    if (index < 0)
        index = ranks->GetSize() - 1;
    const char *limit = index < ranks->GetSize() ? ranks->GetNodeValue(index, "score_limit") : nullptr;
    return limit ? atoi(limit) : 0;
}
