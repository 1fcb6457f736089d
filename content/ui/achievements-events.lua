-- ui/achievements-events.lua
--
-- The sixteen medals in a four by four patch, each with its icon from the achievements
-- file; locked ones greyed (and with the lock icon). A click shows the medal's name and
-- what it asks, or, once earned, what was done.

local FILE = "achievements/achievements.xml";
local ARRAY = "ACHIEVEMENTS";
local LOCKED_ICON = "achievements/locked.png";

local function Value (id, key)
	return DM_GetValue (FILE, ARRAY, id, key) or "";
end

-- The achievement ids in the file's order.
local function Ids ()
	local ids = {};
	local n = DM_GetArraySize (FILE, ARRAY) or 0;
	for i = 0, n - 1 do
		local id = DM_GetValue (FILE, ARRAY, i, "id");
		if id ~= nil and DoesCompExist ("Achi_" .. id) then
			table.insert (ids, id);
		end
	end
	return ids;
end

local function ShowIcons ()
	for _, id in ipairs (Ids ()) do
		local comp = "Achi_" .. id;
		local icon = Value (id, "icon");
		if AM_IsAchievementUnlocked (id) then
			SetProperty (comp .. ":color", 1, 1, 1, 1);
		else
			SetProperty (comp .. ":color", 0.4, 0.4, 0.4, 1);
			if OV_FileExists (LOCKED_ICON) == 1 then
				icon = LOCKED_ICON;
			end
		end
		if icon ~= "" and OV_FileExists (icon) == 1 then
			SetProperty (comp .. ":button.bm_icon", icon);
		end
	end
end

function OnLoad ()
end

function OnEnter ()
	ShowIcons ();
	SetProperty ("AchiName:textbox.text", "");
	SetProperty ("AchiDesc:textbox.text", "Pick a medal to read about it.");
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
		return;
	end
	if string.sub (name, 1, 5) ~= "Achi_" then
		return;
	end
	local id = string.sub (name, 6);
	local desc = Value (id, "desc");
	if AM_IsAchievementUnlocked (id) and Value (id, "desc_post") ~= "" then
		desc = Value (id, "desc_post");
	end
	SetProperty ("AchiName:textbox.text", Localize (Value (id, "name")));
	SetProperty ("AchiDesc:textbox.text", Localize (desc));
end
