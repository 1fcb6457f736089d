-- ui/game-events.lua
--
-- The battle's own buttons: the pause menu (top right), the tactical time pause (top left,
-- its ring pulsing while the player has not tried it yet; the code shows it and swaps its
-- icon) and the developer's money. The wave panel hangs from "Progress" at the top centre.
--
-- The wave script's "PICK_UPGRADE" nodes are offered here: once the script has passed such
-- a node, the upgrade pick gets the node's three choices and comes up, once per node.

local offered = {};
local offered_level = "";

-- Marks the nodes the wave script has already passed as offered (a resumed battle offered
-- them before it was saved).
local function MarkPassed ()
	offered = {};
	offered_level = GetStat ("LEVEL_DEF") or "";
	local wave = GetStat ("WAVE") or 0;
	for i = 0, wave - 1 do
		offered[i] = true;
	end
end

function OnLoad ()
end

function OnEnter ()
	MarkPassed ();
end

function OnUpdate ()
	local level = GetStat ("LEVEL_DEF");
	if level == nil or level == "" then
		return;
	end
	if level ~= offered_level then
		MarkPassed ();
		return;
	end
	local wave = GetStat ("WAVE") or 0;
	for i = 0, wave - 1 do
		if not offered[i] and DM_GetValue (level, "waves", i, "type") == "PICK_UPGRADE" then
			offered[i] = true;
			SendScreenMessage ("PickUpgrade", "a", DM_GetValue (level, "waves", i, "a") or "");
			SendScreenMessage ("PickUpgrade", "b", DM_GetValue (level, "waves", i, "b") or "");
			SendScreenMessage ("PickUpgrade", "c", DM_GetValue (level, "waves", i, "c") or "");
			PushScreen ("PickUpgrade");
			return;
		end
	end
end

function OnClick (name)
end
