-- ui/tutorial.lua's events: five pages of how to play, each a picture and a few lines.
-- "Prev" and "Next" turn the pages; "Back" closes the screen.

local PAGES = {
	{ title = "Moving", picture = "ui/gfx/howto-move.png",
	  text = "Drag from a trooper to draw its path. It walks the line you drew and stops at its end." },
	{ title = "Firing and targets", picture = "ui/gfx/howto-fire.png",
	  text = "Troopers fire by themselves at any alien in range. Tap an alien to make it the primary target of every trooper that can reach it." },
	{ title = "The shop", picture = "ui/gfx/howto-shop.png",
	  text = "Kills earn money. Tap the bunker to open the shop: repairs, reinforcements and better weapons." },
	{ title = "Tactical pause", picture = "ui/gfx/howto-tactical.png",
	  text = "Press the pause button in the top left corner to freeze the battle. Draw paths and mark targets in peace, then let it run." },
	{ title = "Power-ups", picture = "ui/gfx/howto-powerups.png",
	  text = "Supply drops land on the field now and then. Walk a trooper over one to pick it up before it fades." },
};

local page = 1;

local function ShowPage ()
	local p = PAGES[page];
	SetProperty ("PageTitle:textbox.text", p.title);
	SetProperty ("PageText:textbox.text", p.text);
	SetProperty ("Picture:image.bitmap", p.picture);
	SetProperty ("PageNumber:textbox.text", page .. " / " .. #PAGES);
	SetProperty ("Prev:active", page > 1);
	SetProperty ("Next:active", page < #PAGES);
end

function OnLoad ()
	ShowPage ();
end

function OnEnter ()
	page = 1;
	ShowPage ();
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
	elseif name == "Next" and page < #PAGES then
		page = page + 1;
		ShowPage ();
	elseif name == "Prev" and page > 1 then
		page = page - 1;
		ShowPage ();
	end
end
