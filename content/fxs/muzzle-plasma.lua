-- fxs/muzzle-plasma.lua
-- Plasma gun discharge: a blue glow.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/glow.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 0.4, 0.5);
FXParm ("color_g", 0.7, 0.85);
FXParm ("color_b", 1, 1);
FXParm ("init_move", 2, 4);
FXParm ("scale", 0.4, 0.55);
FXParm ("angle_spread", 20);
FXParm ("age_to_die", 0.1, 0.14);
