-- ui/game-over-events.lua
--
-- The end of a score mission, in two pages on the grid "TF": first the result, the score
-- and the battle's numbers, then the squad's cards with the buttons rising under them (the
-- screen's code slides the pages in, counts the numbers up and turns to the second page).
-- The arrows turn the pages where there is no touch screen.

local mission_id = "";
local chapter_id = "";
local level_name = "";
local score = "";

function OnLoad ()
end

function OnEnter ()
	SwitchMusic ("music/defeat", 1, 1);
end

function OnScreenMessage (message, value)
	if message == "MissionId" then
		mission_id = value;
	elseif message == "ChapterId" then
		chapter_id = value;
	elseif message == "Level" then
		level_name = value;
	elseif message == "Score" then
		score = value;
	end
end

function OnClick (name)
	if name == "Retry" then
		SendScreenMessage ("LoaderTransition", "RETRY_BATTLE", "");
		SwitchScreen ("LoaderTransition");
	elseif name == "Menu" then
		SendScreenMessage ("LoaderTransition", "LEAVE_BATTLE", "");
		SwitchScreen ("LoaderTransition");
	elseif name == "Leaderboards" then
		LM_ShowLeaderboards (mission_id);
	elseif name == "Left" then
		SetProperty ("TF:touchgrid.selected_step_axis_x", 0);
	elseif name == "Right" then
		SetProperty ("TF:touchgrid.selected_step_axis_x", 1);
	end
end
