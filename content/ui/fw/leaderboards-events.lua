-- ui/fw/leaderboards-events.lua
--
-- The leaderboards: the category's title with the arrows to the neighbouring categories,
-- the scores and ranks in the scrolling list (the screen's code draws them into "Scores",
-- clipped to "Scissor", and sizes the scroll field "TF"), a refresh, the platform's own
-- boards where there are any, and the way back.

function OnLoad ()
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
	end
end
