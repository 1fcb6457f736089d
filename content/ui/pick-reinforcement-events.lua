-- ui/pick-reinforcement-events.lua
--
-- The reinforcement pick over the battle: one button per trooper class the player has
-- unlocked (the screen's code shows them and spawns the chosen trooper). The radio
-- answers on a pick.

function OnLoad ()
end

function OnClick (name)
	if name == "Minigun" or name == "Shotgun" or name == "Bazooka" or name == "Pyro" or name == "Sniper" then
		PlaySound ("sfx/reinforcements");
	end
end
