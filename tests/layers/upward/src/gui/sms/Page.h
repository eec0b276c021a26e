#pragma once
class Page {};
