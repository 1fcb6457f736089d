-- ui/play-menu-events.lua
--
-- The play menu: a tab per chapter and one for the extras, ten mission rows, the chosen
-- mission's briefing and "Play". Progress comes from the active profile (written when a
-- mission is won): a chapter opens once tagged in "chapters", a chapter mission once
-- tagged in "missions" (the first one always), an extra once its id is tagged in
-- "features" (campaign stars open them). The menu opens on the profile's active chapter
-- and mission; a choice made here is kept until the profile's progress moves on.

local MISSIONS = "missions.xml";
local TABS = {"CHAPTER1", "CHAPTER2", "CHAPTER3", "EXTRAS"};
local ROWS = 10;
local STARS = 5;
-- Rows stand 1.2 selector heights apart inside "Missions" (528 units high): with the
-- 44-unit selector that is a tenth of it. OnLoad measures the selector.
local SELECTOR = "ui/gfx/mission-selector.png";
local MISSIONS_HEIGHT = 528;
local ROW_STEP = 0.1;
-- The tabs' centres, where the marker under the shown tab goes.
local TAB_X = {0.215, 0.405, 0.595, 0.785};
local STAR_ON = "ui/gfx/star-small.png";
local STAR_OFF = "ui/gfx/star-small-empty.png";

local MODE_NAMES = {
	SURVIVAL = "Survival: the waves never end. Hold out and score.",
	COLLECTOR = "Supply run: grab the drops while the waves grow.",
	INCOMING = "Incoming: shells fall on the red markers.",
	DEFEND_THE_FLAG = "Field hospital: keep the medical tents standing.",
	OPEN_AREA = "Open ground: no bunker. Keep the squad alive.",
};

local tab = nil;        -- the shown tab
local selected = nil;   -- the chosen mission id
local seen = nil;       -- the profile's progress the choice was made from
local ids = {};         -- mission id of each shown row

local function Number (text)
	return tonumber (text or "") or 0;
end

-- A mission's best rating, 0 to 5 stars whatever the profile file holds.
local function Rating (id)
	local stars = math.floor (Number (GetProfileValue ("missions", id, "rating")));
	if stars ~= stars or stars < 0 then
		return 0;
	end
	return math.min (stars, 5);
end

-- The best ratings of every mission the profile holds: the campaign's stars.
local function StarTotal ()
	local total = 0;
	local n = GetNumberOfValuesInCategory ("missions") or 0;
	for i = 0, n - 1 do
		local id = GetValueNameByIndex ("missions", i);
		if id then
			total = total + Rating (id);
		end
	end
	return total;
end

local function ExtraOpen (id)
	return ProfileTagExists ("features", id);
end

local function AnyExtraOpen ()
	local n = DM_GetArraySize (MISSIONS, "EXTRAS") or 0;
	for i = 0, n - 1 do
		local id = DM_GetValue (MISSIONS, "EXTRAS", i, "id");
		if id and ExtraOpen (id) then
			return true;
		end
	end
	return false;
end

local function TabOpen (name)
	if name == "CHAPTER1" then
		return true;
	elseif name == "EXTRAS" then
		return ProfileTagExists ("chapters", "EXTRAS") or AnyExtraOpen ();
	end
	return ProfileTagExists ("chapters", name);
end

local function MissionOpen (chapter, id)
	if chapter == "EXTRAS" then
		return ExtraOpen (id);
	end
	return id == "MISSION1_1" or ProfileTagExists ("missions", id);
end

local function RowOf (id)
	for i = 0, ROWS - 1 do
		if ids[i] == id then
			return i;
		end
	end
	return nil;
end

-- The briefing of the chosen mission and what "Play" and "Leaderboards" can do.
local function ShowSelection ()
	local row = selected and RowOf (selected);
	SetProperty ("RowSelector:visible", row ~= nil);
	if row then
		SetProperty ("RowSelector:position.y", row * ROW_STEP);
	end
	local open = selected ~= nil and MissionOpen (tab, selected);
	local name = selected and (DM_GetValue (MISSIONS, tab, selected, "name") or selected) or "";
	local desc = selected and (DM_GetValue (MISSIONS, tab, selected, "desc") or "") or "";
	local stars = "";
	local best = "";
	if selected == nil then
		desc = "";
	elseif tab == "EXTRAS" then
		local mode = DM_GetValue (MISSIONS, tab, selected, "mode") or "";
		stars = MODE_NAMES[mode] or "";
		if open then
			local points = LM_GetPersonalBestScore (selected) or 0;
			if points > 0 then
				best = "Best score: " .. points;
			else
				best = "No score yet.";
			end
		else
			best = "Opens at " .. Number (DM_GetValue (MISSIONS, tab, selected, "unlock_stars")) .. " campaign stars.";
		end
	else
		local rating = Rating (selected);
		local wins = Number (GetProfileValue ("missions", selected, "times_played"));
		if not open then
			stars = "Locked: win the mission before it.";
		elseif wins > 0 then
			stars = "Best: " .. rating .. " of " .. STARS .. " stars";
			best = "Won " .. wins .. (wins == 1 and " time" or " times");
		else
			stars = "Not won yet.";
		end
	end
	SetProperty ("MissionName:textbox.text", name);
	SetProperty ("MissionDesc:textbox.text", desc);
	SetProperty ("MissionStars:textbox.text", stars);
	SetProperty ("MissionBest:textbox.text", best);
	SetProperty ("Play:active", open);
	SetProperty ("Leaderboards:active", open);
end

local function ShowRow (i, chapter, id)
	local row = "Row_" .. i;
	local open = MissionOpen (chapter, id);
	SetProperty (row .. ":visible", true);
	SetProperty (row .. ":active", open);
	SetProperty (row .. ":button.text", DM_GetValue (MISSIONS, chapter, i, "name") or id);
	SetProperty (row .. "_Lock:visible", not open);
	local rating = chapter ~= "EXTRAS" and Rating (id) or 0;
	for s = 1, STARS do
		local star = row .. "_Star_" .. s;
		SetProperty (star .. ":visible", chapter ~= "EXTRAS" and open);
		SetProperty (star .. ":image.bitmap", s <= rating and STAR_ON or STAR_OFF);
	end
	local best = "";
	if chapter == "EXTRAS" then
		if open then
			local points = LM_GetPersonalBestScore (id) or 0;
			if points > 0 then
				best = "" .. points;
			end
		else
			best = Number (DM_GetValue (MISSIONS, chapter, i, "unlock_stars")) .. " stars";
		end
	end
	SetProperty (row .. "_Best:visible", best ~= "");
	SetProperty (row .. "_Best:textbox.text", best);
end

-- What opens the extras: the stars each one needs, and the player's own.
local function ExtrasIntel (total)
	local needs = {};
	local n = DM_GetArraySize (MISSIONS, "EXTRAS") or 0;
	for i = 0, n - 1 do
		local stars = DM_GetValue (MISSIONS, "EXTRAS", i, "unlock_stars");
		if stars then
			table.insert (needs, stars);
		end
	end
	return "Extra fields open at " .. table.concat (needs, ", ") .. " campaign stars; you have " .. total ..
		". Each keeps its own best scores.";
end

-- The extras tab's label: its name once an extra is open, else what opens the first one
-- (the stars still to win; with enough stars the next won mission opens it). The script
-- writes it, so it is translated here.
local function ExtrasTabText (total)
	if TabOpen ("EXTRAS") then
		return Localize ("Extras");
	end
	local need = nil;
	local n = DM_GetArraySize (MISSIONS, "EXTRAS") or 0;
	for i = 0, n - 1 do
		local stars = Number (DM_GetValue (MISSIONS, "EXTRAS", i, "unlock_stars"));
		if need == nil or stars < need then
			need = stars;
		end
	end
	local left = (need or 0) - total;
	if left <= 0 then
		return Localize ("Win a mission") .. "\n" .. Localize ("to open");
	end
	return Localize ("Win") .. " " .. left .. " " .. Localize (left == 1 and "star" or "stars") .. "\n" ..
		Localize ("to open");
end

-- Shows a tab's missions; the choice stays on `want` when it is one of them, else it goes
-- to the furthest open mission of a chapter (the first open extra), else the first row.
local function ShowTab (name, want)
	tab = name;
	ids = {};
	local n = DM_GetArraySize (MISSIONS, name) or 0;
	local pick = nil;
	local last_open = nil;
	for i = 0, ROWS - 1 do
		local id = i < n and DM_GetValue (MISSIONS, name, i, "id") or nil;
		if id then
			ids[i] = id;
			ShowRow (i, name, id);
			if MissionOpen (name, id) and (last_open == nil or name ~= "EXTRAS") then
				last_open = id;
			end
			if id == want then
				pick = id;
			end
		else
			SetProperty ("Row_" .. i .. ":visible", false);
		end
	end
	selected = pick or last_open or ids[0];
	for k, t in ipairs (TABS) do
		SetProperty (t .. ":active", TabOpen (t));
		if t == name then
			SetProperty ("TabMarker:position.x", TAB_X[k]);
		end
	end
	local extras = name == "EXTRAS";
	SetProperty ("Title:textbox.text", Localize (extras and "Extra Missions" or "Campaign"));
	SetProperty ("ExtrasIntel:visible", extras);
	SetProperty ("Leaderboards:visible", extras);
	-- Alone on the chapters, the medals button stands under the briefing's centre.
	SetProperty ("Achievements:position.x", extras and 0.665 or 0.765);
	local total = StarTotal ();
	SetProperty ("StarTotal:textbox.text", "" .. total);
	SetProperty ("EXTRAS:button.text", ExtrasTabText (total));
	if extras then
		SetProperty ("ExtrasIntelText:textbox.text", ExtrasIntel (total));
	end
	ShowSelection ();
end

-- Puts "MainMenu" directly under this screen when it came alone (the loader transition
-- switches to it), so that "Back" leads there.
local function KeepMainMenuBelow ()
	if IsScreenInStack ("MainMenu") then
		return;
	end
	local n = GetNumberOfScreensInStack () or 0;
	for depth = 0, n - 1 do
		if PeekScreen (depth) == "PlayMenu" then
			PushScreen ("MainMenu", depth + 1);
			return;
		end
	end
end

function OnLoad ()
	local h = OV_GetBitmapHeight (SELECTOR) or 0;
	if h > 0 then
		ROW_STEP = 1.2 * h / MISSIONS_HEIGHT;
	end
	for i = 0, ROWS - 1 do
		SetProperty ("Row_" .. i .. ":position.y", i * ROW_STEP);
	end
end

function OnEnter ()
	KeepMainMenuBelow ();
	local chapter = GetProfileValue ("current_game", "active_chapter", "value") or "CHAPTER1";
	local mission = GetProfileValue ("current_game", "active_mission", "value") or "MISSION1_1";
	local progress = (GetProfile () or -1) .. ":" .. chapter .. ":" .. mission;
	if progress ~= seen or tab == nil then
		seen = progress;
		tab = chapter;
		selected = mission;
	end
	if not TabOpen (tab) or (DM_GetArraySize (MISSIONS, tab) or 0) == 0 then
		tab = "CHAPTER1";
	end
	ShowTab (tab, selected);
end

-- Starts the chosen mission through the loader transition; the very first start of the
-- campaign goes through the chapter's opening screen, which starts it in turn.
local function Play ()
	if selected == nil or not MissionOpen (tab, selected) then
		return;
	end
	if tab == "CHAPTER1" and selected == "MISSION1_1" and not ProfileValueExists ("missions", "MISSION1_1", "times_played") then
		PushScreen ("Chapter_1_Begin");
		return;
	end
	SendScreenMessage ("LoaderTransition", "ENTER_BATTLE", tab .. ":" .. selected);
	SwitchScreen ("LoaderTransition");
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
	elseif name == "Play" then
		Play ();
	elseif name == "Achievements" then
		AM_ShowAchievements ();
	elseif name == "Leaderboards" then
		if tab == "EXTRAS" and selected ~= nil then
			LM_ShowLeaderboards (selected);
		end
	elseif name == "CHAPTER1" or name == "CHAPTER2" or name == "CHAPTER3" or name == "EXTRAS" then
		if TabOpen (name) and name ~= tab then
			ShowTab (name, selected);
		end
	elseif string.sub (name, 1, 4) == "Row_" then
		local i = tonumber (string.sub (name, 5));
		if i and ids[i] and MissionOpen (tab, ids[i]) then
			selected = ids[i];
			ShowSelection ();
		end
	end
end
