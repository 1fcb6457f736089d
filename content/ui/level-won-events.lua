-- ui/level-won-events.lua
--
-- The won mission: the victory flag waving over the title, the mission's stars lit one
-- after another, the squad's cards and the battle summary (the screen's code fills and
-- counts them up once the stars are lit), and "Continue".

local flag = -1;
local rating = 0;
local lit = 0;
local elapsed = 0;

-- Seconds before the first star and between the next ones.
local FIRST_STAR = 1.0;
local NEXT_STAR = 0.5;

local function DimStars ()
	for i = 1, 5 do
		SetProperty ("Star_" .. i .. ":color", 0.35, 0.35, 0.35, 0.6);
	end
end

function OnLoad ()
end

function OnEnter ()
	if flag == -1 then
		flag = LoadFlag ("ui/gfx/flag-victory.png", 16);
	end
	SwitchMusic ("music/victory", 1, 1);
end

function OnLeave ()
	ReleaseFlag (flag);
	flag = -1;
end

function OnScreenMessage (message, value)
	if message == "RATING" then
		rating = tonumber (value) or 0;
		lit = 0;
		elapsed = 0;
		DimStars ();
	end
end

function OnUpdate (dt)
	elapsed = elapsed + (dt or 0);
	if lit < rating and lit < 5 and elapsed >= FIRST_STAR + NEXT_STAR * lit then
		lit = lit + 1;
		SetProperty ("Star_" .. lit .. ":color", 1, 1, 1, 1);
		PlaySound ("sfx/ui_star");
	end
end

function OnDraw ()
	if flag ~= -1 then
		local s = GetScreenReferenceScale ();
		DrawFlag (flag, GetScreenPosX () + (GetScreenWidth () - 256 * s) / 2, GetScreenPosY () + 16 * s, s, 1);
	end
end

function OnClick (name)
end
