-- ui/extras.lua's events: the extras menu. Each button opens the screen of its name over
-- this one; "Leaderboards" opens the rankings at the campaign's (open from the start,
-- before any extra field is); "Developer" (developer mode only) opens the developer menu.

function OnLoad ()
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
	elseif name == "Options" or name == "Profiles" or name == "Credits" or name == "Zedivevor" then
		PushScreen (name);
	elseif name == "Leaderboards" then
		LM_ShowLeaderboards ("CAMPAIGN");
	elseif name == "Developer" then
		PushScreen ("DevMenu");
	end
end
