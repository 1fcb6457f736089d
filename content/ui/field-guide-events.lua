-- ui/field-guide.lua's events: the field guide, one page per kind of alien in the order
-- the campaign brings them (chapter 1, 2, then 3). The portrait is the creature's walk
-- from "entities.xml". The game keeps no record of which aliens a player has met, so
-- every page is there from the start.

local ENTITIES = "entities.xml";
local PORTRAIT_SIZE = 170;

local CREATURES = {
	{ id = "Hellhound", name = "Hellhound", desc = "Fast, hungry and everywhere. Alone it is little trouble; in a pack it runs down a careless trooper." },
	{ id = "Hound", name = "Hound", desc = "A hellhound's smaller kin. Quicker still, but a single burst puts it down." },
	{ id = "Leaper", name = "Leaper", desc = "Crosses the field in long bounds. Catch it in the open between jumps." },
	{ id = "Splitter", name = "Splitter", desc = "A slow bag of goo that bursts into smaller aliens when it dies. Kill it at range." },
	{ id = "Den", name = "Den", desc = "A burrow that keeps releasing hounds until it is destroyed. Take it out first." },
	{ id = "Sandworm", name = "Sandworm", desc = "A giant of the dunes. It shrugs off bullets and splits as it takes damage. Every gun on it." },
	{ id = "Crabfly", name = "Crabfly", desc = "Flies straight over the walls on armoured wings. Keep a gun pointed at the sky." },
	{ id = "Drone", name = "Drone", desc = "A brood mother's guard. It circles its mother and stings whoever comes close." },
	{ id = "Egg", name = "Egg", desc = "Laid by brood mothers. Burst it before it hatches, and not with a trooper standing next to it." },
	{ id = "Bloater", name = "Bloater", desc = "Waddles up to its target and explodes. Never let one reach the squad." },
	{ id = "Quadblob", name = "Quadblob", desc = "Tough and slow. When it dies it splits into four, each one hungry." },
	{ id = "Broodmother", name = "Brood Mother", desc = "Wanders the field laying eggs, her drones around her. Hunt her down before the field fills up." },
	{ id = "BroodQueen", name = "Brood Queen", desc = "The mother of all broods. Huge, armoured and laying eggs as she comes." },
	{ id = "Cocoon", name = "Cocoon", desc = "Hangs still and waits. Whatever grows inside is better never born." },
	{ id = "Jugger", name = "Jugger", desc = "Plated in iron. Slow, but it takes a long time to stop and hits like a truck." },
	{ id = "Raider", name = "Raider", desc = "Runs a route across the field and spits at whatever it passes. Cut it off." },
	{ id = "Stalker", name = "Stalker", desc = "Lurks at the edge of the fight and spits acid from afar. Go and get it." },
	{ id = "Ironjaw", name = "Ironjaw", desc = "The last and largest. Metal jaws, burning bile and no fear of anything." },
};

local page = 1;

local function ShowPage ()
	local c = CREATURES[page];
	SetProperty ("CreatureName:textbox.text", c.name);
	SetProperty ("CreatureDesc:textbox.text", c.desc);
	local sprite = DM_GetValue (ENTITIES, "entities", c.id, "bm_move");
	SetProperty ("Portrait:visible", sprite ~= nil);
	if sprite ~= nil then
		SetProperty ("Portrait:image.bitmap", sprite);
		-- Sprites are drawn about five radii across at the creature's own scale: shown
		-- about 170 units across, whatever the creature's size.
		local radius = tonumber (DM_GetValue (ENTITIES, "entities", c.id, "radius") or "") or 12;
		local scale = tonumber (DM_GetValue (ENTITIES, "entities", c.id, "scale") or "") or 1;
		local shown = PORTRAIT_SIZE * scale / (5 * math.max (radius, 1));
		SetProperty ("Portrait:scale", math.max (0.6, math.min (3, shown)));
	end
	SetProperty ("PageNumber:textbox.text", page .. " / " .. #CREATURES);
	SetProperty ("Prev:active", page > 1);
	SetProperty ("Next:active", page < #CREATURES);
end

function OnLoad ()
end

function OnEnter ()
	ShowPage ();
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
	elseif name == "Next" and page < #CREATURES then
		page = page + 1;
		ShowPage ();
	elseif name == "Prev" and page > 1 then
		page = page - 1;
		ShowPage ();
	end
end
