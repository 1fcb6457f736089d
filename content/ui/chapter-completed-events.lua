-- ui/chapter-completed-events.lua
--
-- The page after the first or the second chapter's last mission, one layout for both
-- screens: the screen's own name picks the picture and the texts. A click anywhere
-- leads back through the loader transition to the menus.

local PAGES = {
	Chapter_1_Completed = {
		picture = "ui/gfx/chapter-1.png",
		title = "Chapter 1 complete",
		story = "The sandworm is dead and the convoy is through. Orders came in overnight: the squad moves north, into the marshes, where the survey teams stopped answering a week ago.",
	},
	Chapter_2_Completed = {
		picture = "ui/gfx/chapter-2.png",
		title = "Chapter 2 complete",
		story = "The brood queen is ash and the marsh is quiet again. The trail of the swarm leads to the old foundry, and something in there is much bigger than a hound.",
	},
};

function OnLoad ()
end

function OnEnter ()
	local page = PAGES[GetProperty ("/:name")];
	if page == nil then
		return;
	end
	if OV_FileExists (page.picture) == 1 then
		SetProperty ("Picture:image.bitmap", page.picture);
	end
	SetProperty ("Title:textbox.text", page.title);
	SetProperty ("Story:textbox.text", page.story);
end

function OnClick (name)
	if name == "tap_to_continue" then
		SendScreenMessage ("LoaderTransition", "LEAVE_BATTLE_LEVEL_WON", "");
		SwitchScreen ("LoaderTransition");
	end
end
