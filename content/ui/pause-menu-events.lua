-- ui/pause-menu-events.lua
--
-- The pause menu over the frozen battle (the battle advances only while its own screen is
-- on top): back to the fight, a restart or leave question, the options and the help pages.

function OnLoad ()
end

function OnClick (name)
	if name == "Resume" then
		PopScreen ();
	elseif name == "Restart" then
		PushScreen ("LevelRestart");
	elseif name == "MainMenu" then
		PushScreen ("LevelLeave");
	elseif name == "Options" then
		PushScreen ("Options");
	elseif name == "Help" then
		PushScreen ("Tutorial");
	end
end
