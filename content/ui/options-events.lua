-- ui/options.lua's events: the two volumes (kept with the profiles' settings, saved on
-- "Back"), play in a window (the display is set up again at once) and the tips of the
-- battles shown again from the start.

function OnLoad ()
end

function OnEnter ()
	SetProperty ("SoundVolume:slider.value", GetSoundVolume ());
	SetProperty ("MusicVolume:slider.value", GetMusicVolume ());
	SetProperty ("Windowed:checkbox.value", IsScreenWindowed ());
	SetProperty ("ResetTutorials:active", true);
end

function OnClick (name)
	if name == "Back" then
		SaveProfiles ();
		PopScreen ();
	elseif name == "SoundVolume" then
		SetSoundVolume (GetProperty ("SoundVolume:slider.value") or 1);
		PlaySound ("sfx/ui_click");
	elseif name == "MusicVolume" then
		SetMusicVolume (GetProperty ("MusicVolume:slider.value") or 1);
	elseif name == "Windowed" then
		local windowed = not IsScreenWindowed ();
		SetProperty ("Windowed:checkbox.value", windowed);
		SetScreenWindowed (windowed);
		OrvexReInit ();
	elseif name == "ResetTutorials" then
		RemoveProfileCategory ("tutorials_completed");
		SaveProfiles ();
		SetProperty ("ResetTutorials:active", false);
	end
end
