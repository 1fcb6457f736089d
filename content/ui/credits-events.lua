-- ui/credits.lua's events: the credits roll up the screen. A click anywhere (the
-- invisible "fader" covers the screen) or the end of the roll leaves: to the screen named
-- by the message "setNextScreen" when one was sent (the won campaign goes on to the play
-- menu), else back to the screen below.

local LINES = {
	"|#f0b43c|ORVEX|#ffffff|",
	"",
	"A squad, a bunker and far too many aliens.",
	"",
	"",
	"|#f0b43c|Made with|#ffffff|",
	"",
	"The ORVEX engine, written for this game",
	"C++17, built by GCC, CMake and Ninja",
	"Lua 5.1 for the screens and the effects",
	"SDL2 for windows, input and sound",
	"zlib, libpng and libjpeg for pictures",
	"Mesa for drawing without a display",
	"librsvg for turning our drawings into sprites",
	"LAME for the music",
	"GoogleTest for keeping it all honest",
	"",
	"",
	"|#f0b43c|Type|#ffffff|",
	"",
	"The DejaVu fonts",
	"",
	"",
	"|#f0b43c|Art, sound and music|#ffffff|",
	"",
	"Drawn as vector art and synthesised",
	"by the game's own build tools",
	"",
	"",
	"|#f0b43c|Thanks|#ffffff|",
	"",
	"To every trooper who held the line",
	"",
	"",
	"",
	"Thank you for playing.",
};

-- The roll starts just below the screen and rises this many layout heights a second;
-- it ends when its last line has gone past the top (measured on entering, as a
-- fraction of the layout's height, the unit of the roll's position).
local START_Y = 1.02;
local SPEED = 0.058;
local end_y = -1.6;

local next_screen = nil;
local elapsed = 0;
local leaving = false;

local function Leave ()
	if leaving then
		return;
	end
	leaving = true;
	if next_screen ~= nil and next_screen ~= "" then
		SwitchScreen (next_screen);
	else
		PopScreen ();
	end
end

function OnLoad ()
	SetProperty ("Lines:textbox.text", table.concat (LINES, "\n"));
end

function OnScreenMessage (message, value)
	if message == "setNextScreen" then
		next_screen = value;
	end
end

function OnEnter ()
	elapsed = 0;
	leaving = false;
	SetProperty ("Lines:position.y", START_Y);
	local lines = GetProperty ("Lines:height") or 0;
	local layout = GetProperty ("layout:height") or 0;
	if lines > 0 and layout > 0 then
		end_y = -lines / layout - 0.02;
	end
end

function OnLeave ()
	next_screen = nil;
end

function OnUpdate (dt)
	elapsed = elapsed + (dt or 0);
	local y = START_Y - SPEED * elapsed;
	if y <= end_y then
		Leave ();
		y = end_y;
	end
	SetProperty ("Lines:position.y", y);
end

function OnClick (name)
	if name == "fader" then
		Leave ();
	end
end
