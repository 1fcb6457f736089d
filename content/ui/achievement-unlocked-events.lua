-- ui/achievement-unlocked-events.lua
--
-- The popup for one achievement earned in the battle just ended. The game sends
-- "unlock_item" with the achievement's id before pushing the screen; "Continue" pops it
-- (the game then shows the next popup or the result screen).

local FILE = "achievements/achievements.xml";
local ARRAY = "ACHIEVEMENTS";

function OnLoad ()
end

function OnScreenMessage (message, value)
	if message ~= "unlock_item" then
		return;
	end
	local name = DM_GetValue (FILE, ARRAY, value, "name") or value;
	local desc = DM_GetValue (FILE, ARRAY, value, "desc_post") or DM_GetValue (FILE, ARRAY, value, "desc") or "";
	SetProperty ("Name:textbox.text", Localize (name));
	SetProperty ("Desc:textbox.text", Localize (desc));
	local icon = DM_GetValue (FILE, ARRAY, value, "icon");
	if icon ~= nil and OV_FileExists (icon) == 1 then
		SetProperty ("Icon:image.bitmap", icon);
	end
end

function OnEnter ()
	PlaySound ("sfx/achievement-unlock-notification");
end

function OnClick (name)
	if name == "Continue" then
		PopScreen ();
	end
end
