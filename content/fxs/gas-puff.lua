-- fxs/gas-puff.lua
-- A drifting puff of green gas.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/gas.png");
FXParm ("color_r", 0.45, 0.6);
FXParm ("color_g", 0.9, 1);
FXParm ("color_b", 0.3, 0.4);
FXParm ("alpha", 0.5, 0.6);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.3, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 5, 12);
FXParm ("scale", 0.5, 0.7);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.5);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -45, 45);
FXParm ("age_to_die", 0.8, 1.2);
