-- ui/profiles.lua's events: the players' profiles. The list shows every profile's name
-- (each is made active in turn to read it, then the chosen one is active again); a click
-- on a line makes that profile active. "New" and "Delete" open their screens over this
-- one, and the list follows what they did; "Ok" saves and closes.

local shown_count = -1;
local shown_active = -1;

local function Refresh ()
	local active = GetProfile ();
	local n = GetNumberOfProfiles ();
	ClearListbox ("ProfileList");
	for i = 0, n - 1 do
		SetProfile (i);
		local name = GetProfileValue ("!INFO", "name", "value") or "";
		if name == "" then
			name = "Player " .. (i + 1);
		end
		AddListboxLine ("ProfileList", name);
	end
	if active >= 0 then
		SetProfile (active);
	end
	SetProperty ("ProfileList:listbox.selected", active);
	SetProperty ("Delete:active", n > 0);
	shown_count = n;
	shown_active = active;
end

function OnLoad ()
end

function OnEnter ()
	Refresh ();
end

-- "NewProfile" and "DeleteProfile" change the list while this screen stays entered.
function OnUpdate ()
	if GetNumberOfProfiles () ~= shown_count or GetProfile () ~= shown_active then
		Refresh ();
	end
end

function OnClick (name)
	if name == "ProfileList" then
		local line = GetProperty ("ProfileList:listbox.selected") or -1;
		if line >= 0 and line < GetNumberOfProfiles () and line ~= GetProfile () then
			SetProfile (line);
			Refresh ();
		end
	elseif name == "New" then
		PushScreen ("NewProfile");
	elseif name == "Delete" then
		PushScreen ("DeleteProfile");
	elseif name == "Ok" then
		SaveProfiles ();
		PopScreen ();
	end
end
