-- fxs/powerup-money.lua
-- Money picked up: coins jumping up.

FXParm ("num_parts", 6);
FXParm ("bitmap", "fxs/coin.png");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 1, 1);
FXParm ("color_b", 1, 1);
FXParm ("area_radius", 0, 14);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 50);
FXParm ("speed", 30, 60);
FXParm ("dampening_factor", 0.3, 0.5);
FXParm ("angle_spread", 30);
FXParm ("scale", 0.7, 1);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.15, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.7, 1);
FXParm ("sound", "sfx/pickup_money");
FXParm ("sound_volume", 0.85, 1);
FXParm ("sound_freq", 0.92, 1.06);
