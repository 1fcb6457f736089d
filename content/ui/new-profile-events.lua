-- ui/new-profile.lua's events: a name for a new profile. "Ok" adds it (it becomes the
-- active profile) when the name is valid, else says why in a popup.

function OnLoad ()
end

function OnEnter ()
	SetProperty ("Name:editbox.text", "");
	SetUIFocus ("Name");
end

function OnClick (name)
	if name == "Ok" then
		local text = GetProperty ("Name:editbox.text") or "";
		if IsProfileNameValid (text) then
			AddProfile (text);
			SaveProfiles ();
			PopScreen ();
		else
			SendScreenMessage ("PopupOk", "text", "That name cannot be used: it is empty, or another profile has it already.");
			PushScreen ("PopupOk");
		end
	elseif name == "Cancel" then
		PopScreen ();
	end
end
