-- ui/delete-profile.lua's events: asks before the active profile goes. "Yes" deletes it
-- (another one, or a fresh one when it was the last, becomes active) and saves.

function OnLoad ()
end

function OnEnter ()
	local name = GetProfileValue ("!INFO", "name", "value") or "";
	SetProperty ("Question:textbox.text", "Delete \"" .. name .. "\" and all its progress?");
end

function OnClick (name)
	if name == "Yes" then
		DeleteProfile (GetProfile ());
		SaveProfiles ();
		PopScreen ();
	elseif name == "No" then
		PopScreen ();
	end
end
