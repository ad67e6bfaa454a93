// Topic pages: when shown on their own (not inside the contents frame),
// offer a way back to the contents with this page selected.
(function () {
  if (window.top !== window) return;
  document.body.className += " standalone";
  var page = location.pathname.substring(location.pathname.lastIndexOf("/") + 1);
  var bar = document.querySelector(".standalone-bar a");
  if (bar) bar.href = "index.html?" + page;
})();
