-- fxs/muzzle-minigun.lua
-- Minigun muzzle flash.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/flash.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.85, 0.95);
FXParm ("color_b", 0.4, 0.6);
FXParm ("init_move", 2, 4);
FXParm ("scale", 0.35, 0.5);
FXParm ("angle_spread", 20);
FXParm ("age_to_die", 0.05, 0.07);
