// Look-ups in the campaign's tables: a mission's node in "missions.xml" and the ranks of
// a leaderboard category in "ranks.xml".
#ifndef GAME_MISSIONS_H
#define GAME_MISSIONS_H

class DMArray;
class DMNode;

// The node of the mission id in whichever array (chapter) of "missions.xml" holds it,
// the arrays searched in file order; null for null or an unknown id.
DMNode *MissionNode(const char *mission_id);

// The array "ranks_" + the category with its letters in lower case, from "ranks.xml";
// null when missing (a null category reads as empty).
DMArray *RankArray(const char *category);
// The "score_limit" of rank `index` (-1: the last, the top rank) of the category's ranks;
// 0 when the array, the node or the value is missing.
int RankLimit(const char *category, int index);

#endif
