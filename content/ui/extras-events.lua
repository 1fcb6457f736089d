-- ui/extras.lua's events: the extras menu. Each button opens the screen of its name over
-- this one; "Developer" (developer mode only) opens the developer menu.

function OnLoad ()
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
	elseif name == "Options" or name == "Profiles" or name == "Credits" or name == "Zedivevor" then
		PushScreen (name);
	elseif name == "Developer" then
		PushScreen ("DevMenu");
	end
end
