-- fxs/plasma-idle.lua
-- A faint blue glow at the plasma gun's muzzle.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/glow.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 0.4, 0.5);
FXParm ("color_g", 0.7, 0.85);
FXParm ("color_b", 1, 1);
FXParm ("init_move", 1, 2);
FXParm ("scale", 0.2, 0.3);
FXParm ("angle_spread", 20);
FXParm ("age_to_die", 0.2, 0.3);
