-- ui/dev-menu-events.lua
--
-- The developer menu (reached from "Extras" in developer mode): opens the level and
-- obstacle editors, the timeline, the screen browser and the level analysis, which first
-- gets the level file chosen in "MissionList" (every level of the mission catalogue).

local levels = {};

local function FillLevels ()
	levels = {};
	ClearListbox ("MissionList");
	if OV_FileExists ("missions.xml") ~= 1 then
		return;
	end
	local seen = {};
	for _, array in ipairs ({"CHAPTER1", "CHAPTER2", "CHAPTER3", "EXTRAS"}) do
		local n = DM_GetArraySize ("missions.xml", array) or 0;
		for i = 0, n - 1 do
			local level = DM_GetValue ("missions.xml", array, i, "level");
			if level ~= nil and level ~= "" and not seen[level] then
				seen[level] = true;
				table.insert (levels, level);
				AddListboxLine ("MissionList", level);
			end
		end
	end
end

function OnLoad ()
end

function OnEnter ()
	FillLevels ();
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
	elseif name == "AnalyzeMission" then
		local chosen = levels[(GetProperty ("MissionList:listbox.selected") or 0) + 1];
		if chosen ~= nil then
			SendScreenMessage ("AnalyzeMission", "MISSION", chosen);
			PushScreen ("AnalyzeMission");
		end
	elseif name == "LevelEditor" or name == "ObstacleEditor" or name == "Timeline" or name == "ScreenBrowser" then
		PushScreen (name);
	end
end
